#pragma once

#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// Shows how far a long job over many rows has come (a list planned and drawn, a table written
// or read) and lets the user stop it. Short jobs show nothing.
class ListProgress {
  public:
    // Runs at every step with the dialog updated; tests answer from here (cancel()).
    using Hook = std::function<void(QProgressDialog&)>;

    // A job over more rows than this (a list of about five pages) shows its progress.
    static constexpr int ShownAbove = 250;

    ListProgress(QWidget* parent, qint64 rows, const Hook& hook);
    ~ListProgress();

    // Both return false once the user has stopped the list.
    bool planning(int done, int total);
    bool pages(int done, int total);

    // Any other step, with its own label.
    bool step(const QString& label, qint64 done, qint64 total);

    bool shown() const { return m_dialog != nullptr; }

    // Ends the progress at once. A message about the job comes after this: a window-modal
    // progress left open would cover it and take its clicks.
    void close();

  private:
    std::unique_ptr<QProgressDialog> m_dialog;
    Hook m_hook;
};
