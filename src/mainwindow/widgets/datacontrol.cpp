#include "datacontrol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

namespace {

// The status text between the arrows. When the navigator is narrow the name gives way (with
// "…") so the record number stays readable; when even that is too long the fixed start goes
// first. The whole text is in the tool tip.
class CaptionLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QRect r = contentsRect().adjusted(4, 0, -4, 0);
        const QFontMetrics fm = fontMetrics();
        QString shown = text();
        if (fm.horizontalAdvance(shown) > r.width()) {
            // "aktueller Datensatz : Nr. 12 - Maier, Anna": the part up to the name must stay.
            const qsizetype nameStart = shown.indexOf(QLatin1String(" - "));
            const qsizetype nrStart = shown.indexOf(QLatin1String("Nr. "));
            const QString head = nameStart > 0 ? shown.left(nameStart + 3) : QString();
            if (!head.isEmpty() && fm.horizontalAdvance(head + QStringLiteral("…")) > r.width() &&
                nrStart >= 0)
                shown = shown.mid(nrStart);
            shown = fm.elidedText(shown, Qt::ElideRight, r.width());
        }
        p.drawText(r, Qt::AlignVCenter | Qt::AlignLeft, shown);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.frameShape = frameShape();
        frame.lineWidth = lineWidth();
        frame.midLineWidth = midLineWidth();
        frame.state |= QStyle::State_Sunken;
        style()->drawControl(QStyle::CE_ShapedFrame, &frame, &p, this);
    }
};

} // namespace

DataControl::DataControl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Data"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeButton = [this, layout](QStyle::StandardPixmap icon, const QString& name,
                                     const QString& tip, Move move) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setFixedWidth(20);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, move] { emit moveRequested(move); });
        return b;
    };
    m_first = makeButton(QStyle::SP_MediaSkipBackward, QStringLiteral("DataFirst"),
                         QStringLiteral("Erster Datensatz"), Move::First);
    m_previous = makeButton(QStyle::SP_MediaSeekBackward, QStringLiteral("DataPrevious"),
                            QStringLiteral("Vorheriger Datensatz"), Move::Previous);
    m_caption = new CaptionLabel(this);
    m_caption->setObjectName(QStringLiteral("DataCaption"));
    m_caption->setFrameShape(QFrame::StyledPanel);
    m_caption->setMinimumWidth(20);
    m_caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_caption, 1);
    m_next = makeButton(QStyle::SP_MediaSeekForward, QStringLiteral("DataNext"),
                        QStringLiteral("Nächster Datensatz"), Move::Next);
    m_last = makeButton(QStyle::SP_MediaSkipForward, QStringLiteral("DataLast"),
                        QStringLiteral("Letzter Datensatz"), Move::Last);
    setPosition(-1, 0);
}

QString DataControl::caption() const {
    return m_caption->text();
}

void DataControl::setCaption(const QString& text) {
    m_caption->setText(text);
    m_caption->setToolTip(text);
}

void DataControl::setPosition(int current, int count) {
    const bool back = count > 0 && current > 0;
    const bool forward = count > 0 && current < count - 1;
    m_first->setEnabled(back);
    m_previous->setEnabled(back);
    m_next->setEnabled(forward);
    m_last->setEnabled(forward);
}
