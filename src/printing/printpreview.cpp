#include "printpreview.h"

#include "listdocument.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int LoadWidth = 800;
constexpr int LoadHeight = 570;
constexpr int SmallChange = 20;
constexpr int LargeChange = 50;

// PicShow: the part of the sheet that fits the window, from the point (x0, y0) of the sheet.
class PageView final : public QWidget {
  public:
    explicit PageView(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("PicShow"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void show(const QPicture* picture, QPoint from, double scale) {
        m_picture = picture;
        m_from = from;
        m_scale = scale;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (m_picture == nullptr)
            return;
        painter.translate(-m_from);
        painter.scale(m_scale, m_scale);
        painter.drawPicture(0, 0, *m_picture);
    }

  private:
    const QPicture* m_picture = nullptr;
    QPoint m_from;
    double m_scale = 1;
};

QScrollBar* scrollBar(Qt::Orientation orientation, const char* name, QWidget* parent) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, ScrollMax);
    bar->setSingleStep(SmallChange);
    bar->setPageStep(LargeChange);
    return bar;
}

} // namespace

PrintPreview::PrintPreview(const ListDocument& document, QWidget* parent)
    : QDialog(parent), m_document(document), m_pages(size_t(document.pageCount())),
      m_recorded(size_t(document.pageCount()), false) {
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Voransicht"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(p);
    resize(LoadWidth, LoadHeight);

    m_picShow = new PageView(this);
    m_picShow->installEventFilter(this);
    m_vScroll = scrollBar(Qt::Vertical, "VScroll", this);
    m_hScroll = scrollBar(Qt::Horizontal, "HScroll", this);
    connect(m_vScroll, &QScrollBar::valueChanged, this, &PrintPreview::relayout);
    connect(m_hScroll, &QScrollBar::valueChanged, this, &PrintPreview::relayout);

    m_statusBar = new QWidget(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setAutoFillBackground(true);
    m_statusBar->setPalette(QGuiApplication::palette());
    static const char* const texts[] = {"<<", "", ">>", "", "Exit"};
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(texts[i]), m_statusBar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(Qt::AlignCenter);
        panel->installEventFilter(this);
        if (i != 1 && i != 3)
            panel->setCursor(Qt::PointingHandCursor);
        m_panels[size_t(i)] = panel;
    }

    // A4Hoch: the sheet at its own size, in the orientation the list was planned for; the
    // window as large as the screen allows.
    const QSizeF paper = document.geometry().paper;
    m_sheet = QSize(qRound(paper.width() / 25.4 * logicalDpiX()),
                    qRound(paper.height() / 25.4 * logicalDpiY()));
    setWindowState(Qt::WindowMaximized);
    StatusBarAktualisieren();
}

PrintPreview::~PrintPreview() = default;

int PrintPreview::recordedPages() const {
    return int(std::count(m_recorded.begin(), m_recorded.end(), true));
}

const QPicture& PrintPreview::page(int index) {
    if (!m_recorded[size_t(index)]) {
        m_pages[size_t(index)] = m_document.record(index);
        m_recorded[size_t(index)] = true;
    }
    return m_pages[size_t(index)];
}

void PrintPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    showPage(0);
}

void PrintPreview::showPage(int index) {
    m_index = index;
    StatusBarAktualisieren();
    relayout();
}

void PrintPreview::panelClicked(int panel) {
    switch (panel) {
    case 1:
        if (m_index >= 1)
            showPage(m_index - 1);
        break;
    case 3:
        if (m_index < pageCount() - 1)
            showPage(m_index + 1);
        break;
    case 5:
        close();
        return;
    default:
        break;
    }
    StatusBarAktualisieren();
}

void PrintPreview::StatusBarAktualisieren(const QString& text) {
    m_panels[1]->setText(QStringLiteral("%1 / %2").arg(m_index + 1).arg(pageCount()));
    if (!text.isEmpty())
        m_panels[3]->setText(text);
}

void PrintPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    relayout();
}

void PrintPreview::relayout() {
    if (isMinimized())
        return;
    const int statusHeight = fontMetrics().height() + 8;
    m_statusBar->setGeometry(0, height() - statusHeight, width(), statusHeight);
    // The message panel takes what the other four leave.
    const QFontMetrics fm = fontMetrics();
    std::array<int, 5> widths{fm.horizontalAdvance(QStringLiteral("<<")) + 24,
                              fm.horizontalAdvance(QStringLiteral("0000 / 0000")) + 16,
                              fm.horizontalAdvance(QStringLiteral(">>")) + 24, 0,
                              fm.horizontalAdvance(QStringLiteral("Exit")) + 24};
    widths[3] = std::max(0, width() - widths[0] - widths[1] - widths[2] - widths[4]);
    int x = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i]->setGeometry(x, 0, widths[i], statusHeight);
        x += widths[i];
    }

    PreviewLayoutInput in;
    in.width = width();
    in.height = height();
    in.statusHeight = statusHeight;
    in.hScrollHeight = m_hScroll->sizeHint().height();
    in.vScrollWidth = m_vScroll->sizeHint().width();
    in.sheetWidth = m_sheet.width();
    in.sheetHeight = m_sheet.height();
    in.hValue = m_hScroll->value();
    in.vValue = m_vScroll->value();
    m_layout = layOutPreview(in);
    m_hScroll->setGeometry(m_layout.hScroll);
    m_hScroll->setVisible(m_layout.hScrollVisible);
    m_vScroll->setGeometry(m_layout.vScroll);
    m_vScroll->setVisible(m_layout.vScrollVisible);
    m_picShow->setGeometry(m_layout.view);
    if (pageCount() == 0)
        return;
    const QPicture& picture = page(m_index);
    const double scale = double(logicalDpiX()) / picture.logicalDpiX();
    static_cast<PageView*>(m_picShow)->show(&picture, QPoint(m_layout.x0, m_layout.y0), scale);
}

void PrintPreview::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp:
        panelClicked(1);
        break;
    case Qt::Key_PageDown:
        panelClicked(3);
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool PrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (size_t i = 0; i < m_panels.size(); ++i)
            if (watched == m_panels[i]) {
                panelClicked(int(i) + 1);
                return true;
            }
    }
    if (watched == m_picShow && event->type() == QEvent::Wheel) {
        const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        m_vScroll->setValue(m_vScroll->value() - steps * SmallChange);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
