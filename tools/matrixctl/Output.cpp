#include "Output.h"

#include "Matrixctl.h"

#include <QIODevice>
#include <QJsonDocument>

#include <algorithm>

namespace {
constexpr int BarWidth = 30;
}

void Output::writeOut(const QString &text)
{
    if (m_env.out)
        m_env.out->write(text.toUtf8());
}

void Output::writeErr(const QString &text)
{
    endProgress();
    if (m_env.err)
        m_env.err->write(text.toUtf8());
}

void Output::result(const QStringList &lines, const QJsonObject &document)
{
    if (m_json)
        writeOut(QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact)) +
                 QLatin1Char('\n'));
    else if (!lines.isEmpty())
        writeOut(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void Output::event(const QString &line, const QJsonObject &document)
{
    result({line}, document);
}

void Output::note(const QString &line)
{
    if (m_json)
        return;
    endProgress();
    writeOut(line + QLatin1Char('\n'));
}

void Output::text(const QString &text)
{
    writeOut(text);
}

void Output::progress(const QString &caption, int percent)
{
    if (!m_env.errIsTerminal || !m_env.err)
        return;
    const int filled = BarWidth * std::clamp(percent, 0, 100) / 100;
    const QString bar = QStringLiteral("\r[") + QString(filled, QLatin1Char('#')) +
                        QString(BarWidth - filled, QLatin1Char(' ')) + QStringLiteral("] ") +
                        QString::number(percent).rightJustified(3) + QStringLiteral("% ") +
                        caption + QStringLiteral("\x1b[K");
    m_env.err->write(bar.toUtf8());
    m_progressShown = true;
}

void Output::endProgress()
{
    if (m_progressShown && m_env.err)
        m_env.err->write("\n");
    m_progressShown = false;
}

int Output::fail(int exitCode, const QString &text, const QString &hint)
{
    writeErr(QStringLiteral("matrixctl: ") + text + QLatin1Char('\n'));
    if (!hint.isEmpty())
        writeErr(QStringLiteral("matrixctl: hint: ") + hint + QLatin1Char('\n'));
    return exitCode;
}

void Output::warn(const QString &text)
{
    writeErr(QStringLiteral("matrixctl: ") + text + QLatin1Char('\n'));
}
