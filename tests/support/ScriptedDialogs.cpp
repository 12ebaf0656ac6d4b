#include "ScriptedDialogs.h"

#include <QDialog>

#include <algorithm>
#include <utility>

void ScriptedDialogs::information(QWidget *, const QString &text)
{
    record({Kind::Information, text, {}, {}, {}, false});
}

void ScriptedDialogs::error(QWidget *, const QString &text, const QString &title)
{
    record({Kind::Error, text, title, {}, {}, false});
}

bool ScriptedDialogs::confirm(QWidget *, const QString &text)
{
    const bool defaulted = m_confirms.isEmpty();
    const bool yes = defaulted ? false : m_confirms.dequeue();
    record({Kind::Confirm,
            text,
            {},
            {},
            yes ? QStringLiteral("Yes") : QStringLiteral("No"),
            defaulted});
    return yes;
}

QString ScriptedDialogs::openFile(QWidget *, const QString &filter)
{
    const bool defaulted = m_fileNames.isEmpty();
    const QString name = defaulted ? QString() : m_fileNames.dequeue();
    record({Kind::OpenFile, {}, {}, filter, name, defaulted});
    return name;
}

QString ScriptedDialogs::saveFile(QWidget *, const QString &filter)
{
    const bool defaulted = m_fileNames.isEmpty();
    const QString name = defaulted ? QString() : m_fileNames.dequeue();
    record({Kind::SaveFile, {}, {}, filter, name, defaulted});
    return name;
}

int ScriptedDialogs::showModal(QDialog *dialog)
{
    const QString name = dialog ? dialog->objectName() : QString();
    const QString title = dialog ? dialog->windowTitle() : QString();
    const bool defaulted = m_modals.isEmpty();
    int result = QDialog::Rejected;
    if (!defaulted) {
        const ModalHandler handler = m_modals.dequeue();
        if (handler)
            result = handler(dialog);
    }
    // The windows may read the result from the dialog as well as from the return value.
    if (dialog)
        dialog->setResult(result);
    record({Kind::Modal, name, title, {}, QString::number(result), defaulted});
    return result;
}

void ScriptedDialogs::pushConfirm(bool yes)
{
    m_confirms.enqueue(yes);
}

void ScriptedDialogs::pushFileName(const QString &fileName)
{
    m_fileNames.enqueue(fileName);
}

void ScriptedDialogs::pushModal(ModalHandler handler)
{
    m_modals.enqueue(std::move(handler));
}

void ScriptedDialogs::pushModalResult(int result)
{
    m_modals.enqueue([result](QDialog *) { return result; });
}

int ScriptedDialogs::count(Kind kind) const
{
    return int(std::count_if(m_calls.cbegin(), m_calls.cend(),
                             [kind](const Call &call) { return call.kind == kind; }));
}

int ScriptedDialogs::defaultedCount() const
{
    return int(std::count_if(m_calls.cbegin(), m_calls.cend(),
                             [](const Call &call) { return call.defaulted; }));
}

QString ScriptedDialogs::lastText() const
{
    return m_calls.isEmpty() ? QString() : m_calls.constLast().text;
}

QString ScriptedDialogs::lastText(Kind kind) const
{
    for (auto it = m_calls.crbegin(); it != m_calls.crend(); ++it) {
        if (it->kind == kind)
            return it->text;
    }
    return {};
}

QStringList ScriptedDialogs::texts(Kind kind) const
{
    QStringList result;
    for (const Call &call : m_calls) {
        if (call.kind == kind)
            result.append(call.text);
    }
    return result;
}

bool ScriptedDialogs::queuesEmpty() const
{
    return m_confirms.isEmpty() && m_fileNames.isEmpty() && m_modals.isEmpty();
}

void ScriptedDialogs::clear()
{
    m_calls.clear();
    m_confirms.clear();
    m_fileNames.clear();
    m_modals.clear();
}

void ScriptedDialogs::record(Call call)
{
    m_calls.append(std::move(call));
}
