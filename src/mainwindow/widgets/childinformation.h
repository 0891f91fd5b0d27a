#pragma once

#include "commandcontext.h"

#include <QObject>

// "Auskunft zum Kind...": everything stored about the child shown, read afresh, written as a PDF
// file for the parents.
class ChildInformation : public QObject {
    Q_OBJECT
  public:
    explicit ChildInformation(const CommandContext& context, QObject* parent = nullptr);

    // Asks where the file goes and writes it; nothing without a record shown or while editing.
    void write();

  signals:
    // The record is no longer stored (another workstation deleted it).
    void recordGone(const QString& nr);
    void statusMessage(const QString& text);

  private:
    CommandContext m_context;
};
