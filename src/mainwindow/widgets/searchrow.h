#pragma once

#include <QRect>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

// The search row above the table: the wildcard hint, the six search fields with their captions
// and the button that clears them. Every change of a field's text is reported with the field's
// position (the order of searchFieldNames()).
class SearchRow : public QWidget {
    Q_OBJECT
  public:
    explicit SearchRow(QWidget* parent = nullptr);

    std::array<QString, 6> texts() const;
    void focusFirst();

    // Positions of the parts in pixels, measured from the row's own top left corner.
    struct Geometry {
        QRect hint;
        std::array<QRect, 6> labels;
        std::array<QRect, 6> fields;
        QRect clear;
    };
    void place(const Geometry& g);

  signals:
    void searchChanged(int field);
    // cmdSucheLoeschen: the fields have been emptied, each running its own query.
    void cleared();

  private:
    void fitTextToWidth(QLabel* label);

    QLabel* m_hint;
    std::array<QLabel*, 6> m_labels{};
    std::array<QLineEdit*, 6> m_fields{};
    QPushButton* m_clear;
};
