#include "datacontrol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

namespace {

// The status text between the arrows. When the navigator is narrow the start of the text gives
// way (with "…"), so that the number and the name stay readable; the whole text is in the
// tool tip.
class CaptionLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QRect r = contentsRect().adjusted(4, 0, -4, 0);
        QString shown = fontMetrics().elidedText(text(), Qt::ElideLeft, r.width());
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
                                     const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAutoRaise(false);
        b->setFixedWidth(20);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
        return b;
    };
    m_first = makeButton(QStyle::SP_MediaSkipBackward, QStringLiteral("DataFirst"),
                         QStringLiteral("Erster Datensatz"));
    m_previous = makeButton(QStyle::SP_MediaSeekBackward, QStringLiteral("DataPrevious"),
                            QStringLiteral("Vorheriger Datensatz"));
    m_caption = new CaptionLabel(this);
    m_caption->setObjectName(QStringLiteral("DataCaption"));
    m_caption->setFrameShape(QFrame::StyledPanel);
    m_caption->setMinimumWidth(20);
    m_caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_caption, 1);
    m_next = makeButton(QStyle::SP_MediaSeekForward, QStringLiteral("DataNext"),
                        QStringLiteral("Nächster Datensatz"));
    m_last = makeButton(QStyle::SP_MediaSkipForward, QStringLiteral("DataLast"),
                        QStringLiteral("Letzter Datensatz"));
    connect(m_first, &QToolButton::clicked, this, &DataControl::moveFirst);
    connect(m_previous, &QToolButton::clicked, this, &DataControl::movePrevious);
    connect(m_next, &QToolButton::clicked, this, &DataControl::moveNext);
    connect(m_last, &QToolButton::clicked, this, &DataControl::moveLast);
    updateArrows();
}

DataControl::~DataControl() = default;

void DataControl::setRecordset(std::unique_ptr<Snapshot> rows) {
    m_rows = std::move(rows);
    m_current = recordCount() > 0 ? 0 : -1;
    updateArrows();
    emit recordsetChanged();
    emit reposition();
}

void DataControl::closeRecordset() {
    m_rows.reset();
    m_current = -1;
    updateArrows();
}

QString DataControl::currentNr() const {
    if (!m_rows || m_current < 0)
        return QString();
    int c = m_rows->columnIndex(u"Nr");
    return c < 0 ? QString() : m_rows->text(m_current, c);
}

bool DataControl::findFirst(const QString& criteria) {
    if (!m_rows)
        return false;
    int row = m_rows->findFirst(criteria);
    if (row < 0)
        return false;
    return moveToRow(row);
}

bool DataControl::moveToRow(int row) {
    if (!m_rows || row < 0 || row >= m_rows->rowCount())
        return false;
    m_current = row;
    updateArrows();
    emit reposition();
    return true;
}

void DataControl::moveFirst() {
    moveToRow(0);
}
void DataControl::movePrevious() {
    moveToRow(m_current - 1);
}
void DataControl::moveNext() {
    moveToRow(m_current + 1);
}
void DataControl::moveLast() {
    moveToRow(recordCount() - 1);
}

QString DataControl::caption() const {
    return m_caption->text();
}

void DataControl::setCaption(const QString& text) {
    m_caption->setText(text);
    m_caption->setToolTip(text);
}

void DataControl::updateArrows() {
    int n = recordCount();
    m_first->setEnabled(n > 0 && m_current > 0);
    m_previous->setEnabled(n > 0 && m_current > 0);
    m_next->setEnabled(n > 0 && m_current < n - 1);
    m_last->setEnabled(n > 0 && m_current < n - 1);
}
