#include "choiceboxnames.h"

#include <QAccessibleWidget>
#include <QComboBox>

namespace {

class NamedComboBox : public QAccessibleWidget {
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return static_cast<const QComboBox*>(widget())->currentText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* namedComboBox(const QString& key, QObject* object) {
    auto* box = qobject_cast<QComboBox*>(object);
    if (key != QLatin1String("QComboBox") || !box || box->accessibleName().isEmpty())
        return nullptr;
    return new NamedComboBox(box);
}

} // namespace

void announceComboBoxesByName() {
    static const bool installed = [] {
        QAccessible::installFactory(namedComboBox);
        return true;
    }();
    Q_UNUSED(installed);
}
