#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

struct Environment;

/// How matrixctl writes: results as text lines or as one JSON document per result on
/// stdout, failures and hints on stderr, a progress bar on a terminal only.
class Output
{
public:
    explicit Output(Environment &env) : m_env(env) {}

    void setJson(bool json) { m_json = json; }
    bool json() const { return m_json; }

    /// A command's result: `lines` in text mode, `document` in JSON mode.
    void result(const QStringList &lines, const QJsonObject &document);
    /// One result of a stream (monitor): a line or a one-line JSON document, written at once.
    void event(const QString &line, const QJsonObject &document);
    /// A line of what a long procedure is doing, in text mode.
    void note(const QString &line);
    /// Text written as it is (help, version), in either mode.
    void text(const QString &text);
    /// Text written to stderr as it is.
    void textErr(const QString &text) { writeErr(text); }

    /// A progress bar on stderr when it is a terminal; nothing otherwise.
    void progress(const QString &caption, int percent);
    void endProgress();

    /// "matrixctl: text" (and "matrixctl: hint: ...") on stderr; returns `exitCode`.
    int fail(int exitCode, const QString &text, const QString &hint = {});
    void warn(const QString &text);

private:
    void writeOut(const QString &text);
    void writeErr(const QString &text);

    Environment &m_env;
    bool m_json = false;
    bool m_progressShown = false;
};
