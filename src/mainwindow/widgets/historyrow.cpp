#include "historyrow.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>

HistoryRow::HistoryRow(QWidget* navigator, QWidget* parent)
    : QWidget(parent), m_navigator(navigator) {
    setObjectName(QStringLiteral("HistoryRow"));
    m_backList = new QComboBox(this);
    m_backList->setObjectName(QStringLiteral("cmbBack"));
    m_backList->setAccessibleName(QStringLiteral("Verlauf zurück"));
    m_backButton = new QPushButton(QStringLiteral("Zurück <"), this);
    m_backButton->setObjectName(QStringLiteral("cmdBack"));
    m_forwardList = new QComboBox(this);
    m_forwardList->setObjectName(QStringLiteral("cmbForward"));
    m_forwardList->setAccessibleName(QStringLiteral("Verlauf vor"));
    m_forwardButton = new QPushButton(QStringLiteral("Vor >"), this);
    m_forwardButton->setObjectName(QStringLiteral("cmdForward"));
    m_navigator->setParent(this);

    connect(m_backButton, &QPushButton::clicked, this, [this] { emit stepRequested(true, -1); });
    connect(m_forwardButton, &QPushButton::clicked, this,
            [this] { emit stepRequested(false, -1); });
    // activated: only a choice of the user, not the program's own insertions and removals.
    connect(m_backList, &QComboBox::activated, this,
            [this](int index) { emit stepRequested(true, index); });
    connect(m_forwardList, &QComboBox::activated, this,
            [this](int index) { emit stepRequested(false, index); });
    updateControls();
}

void HistoryRow::recordMove(const QString& leftNr, const QString& newNr) {
    m_history.recordMove(leftNr, newNr);
    updateControls();
}

QString HistoryRow::step(bool back, int index, const QString& shownNr,
                         const std::function<bool(const QString&)>& find) {
    if (back ? !m_history.backEnabled() : !m_history.forwardEnabled())
        return QString();
    const NavHistory before = m_history;
    QString target;
    if (back)
        target = index < 0 ? m_history.stepBack(shownNr) : m_history.chooseBack(index, shownNr);
    else
        target =
            index < 0 ? m_history.stepForward(shownNr) : m_history.chooseForward(index, shownNr);
    if (!find(target)) {
        // The number is not in the current list (filtered out or deleted): the record shown
        // before stays, and so do the lists.
        m_history = before;
        updateControls();
        return target;
    }
    return QString();
}

void HistoryRow::disableAll() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_backList, m_backButton, m_forwardList, m_forwardButton})
        w->setEnabled(false);
}

void HistoryRow::updateControls() {
    auto fill = [](QComboBox* box, const QStringList& items) {
        QSignalBlocker block(box);
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(-1);
    };
    fill(m_backList, m_history.backList());
    fill(m_forwardList, m_history.forwardList());
    m_backList->setEnabled(m_history.backEnabled());
    m_backButton->setEnabled(m_history.backEnabled());
    m_forwardList->setEnabled(m_history.forwardEnabled());
    m_forwardButton->setEnabled(m_history.forwardEnabled());
}

void HistoryRow::place(const Geometry& g) {
    m_backList->setGeometry(g.back);
    m_backButton->setGeometry(g.backButton);
    m_navigator->setGeometry(g.navigator);
    m_forwardList->setGeometry(g.forward);
    m_forwardButton->setGeometry(g.forwardButton);
    // The buttons lie on their lists and leave the lists' arrows free.
    m_backButton->raise();
    m_forwardButton->raise();
}
