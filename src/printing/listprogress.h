#pragma once

#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// Shows how far a long list has come, while it is planned and while its pages are drawn, and
// lets the user stop it. Short lists show nothing.
class ListProgress {
  public:
    // Runs at every step with the dialog updated; tests answer from here (cancel()).
    using Hook = std::function<void(QProgressDialog&)>;

    // A list of more rows than this (about five pages) shows its progress.
    static constexpr int ShownAbove = 250;

    ListProgress(QWidget* parent, int rows, const Hook& hook);
    ~ListProgress();

    // Both return false once the user has stopped the list.
    bool planning(int done, int total);
    bool pages(int done, int total);

    bool shown() const { return m_dialog != nullptr; }

  private:
    bool step(const QString& label, int done, int total);

    std::unique_ptr<QProgressDialog> m_dialog;
    Hook m_hook;
};
