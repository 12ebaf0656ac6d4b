#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

/// Dialogs for tests: records every call and answers from queues the test fills. It never
/// blocks; with an empty queue it gives the safe answer (No, cancelled, Rejected) and marks
/// the call as answered by default.
class ScriptedDialogs final : public Dialogs
{
public:
    enum class Kind { Information, Error, Confirm, OpenFile, SaveFile, Modal };

    struct Call
    {
        Kind kind = Kind::Information;
        /// Message text; for a modal window its objectName.
        QString text;
        /// Title of an error box; for a modal window its window title.
        QString title;
        /// Filter of a file dialog, as the caller wrote it.
        QString filter;
        /// What was answered: "Yes"/"No", the file name, or the modal result as a number.
        QString answer;
        /// True when the queue was empty and the safe default was answered.
        bool defaulted = false;
    };

    using ModalHandler = std::function<int(QDialog *)>;

    void information(QWidget *parent, const QString &text) override;
    void error(QWidget *parent, const QString &text,
               const QString &title = QStringLiteral("Error")) override;
    bool confirm(QWidget *parent, const QString &text) override;
    QString openFile(QWidget *parent, const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &filter) override;
    int showModal(QDialog *dialog) override;

    /// Answers for the next confirmations, in order.
    void pushConfirm(bool yes);
    /// Answers for the next open or save dialogs, in order; an empty name means cancelled.
    void pushFileName(const QString &fileName);
    /// Handlers for the next modal windows: they may fill the window and return its result.
    void pushModal(ModalHandler handler);
    /// A modal window that is closed with `result` without being touched.
    void pushModalResult(int result);

    const QList<Call> &calls() const { return m_calls; }
    int count() const { return int(m_calls.size()); }
    int count(Kind kind) const;
    /// Number of calls answered by default because their queue was empty.
    int defaultedCount() const;
    /// Text of the last call (of the given kind); empty when there was none.
    QString lastText() const;
    QString lastText(Kind kind) const;
    /// Texts of all calls of a kind, in order.
    QStringList texts(Kind kind) const;
    /// True when every queued answer has been used.
    bool queuesEmpty() const;

    /// Forgets the recorded calls and the queued answers.
    void clear();

private:
    void record(Call call);

    QList<Call> m_calls;
    QQueue<bool> m_confirms;
    QQueue<QString> m_fileNames;
    QQueue<ModalHandler> m_modals;
};
