#include "shell/routing/ui/ShowInOutInfo.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

TfrmShowInOutInfo::TfrmShowInOutInfo(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmShowInOutInfo"));
    setAccessibleName(QStringLiteral("Port tags"));
    // It appears under the mouse while the operator works in the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAccessibleName(QStringLiteral("Port tags"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *panelLayout = new QVBoxLayout(Panel1);
    // With the panel's one-pixel frame the text sits 5 pixels inside the window's edge, the
    // margin the window's size leaves around the lines.
    panelLayout->setContentsMargins(4, 4, 4, 4);
    lblInfo = new QLabel(QStringLiteral("Output from Input"), Panel1);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setAccessibleName(QStringLiteral("Port tags"));
    lblInfo->setTextFormat(Qt::PlainText);
    QFont bold = lblInfo->font();
    bold.setBold(true);
    lblInfo->setFont(bold);
    panelLayout->addWidget(lblInfo);
    layout->addWidget(Panel1);
}

namespace {
constexpr int Padding = 10;
} // namespace

void TfrmShowInOutInfo::showLines(const QStringList &lines)
{
    setFont(lblInfo->font());
    // The label draws a carriage return + line feed as one line break.
    lblInfo->setText(lines.join(QStringLiteral("\r\n")));
    const QFontMetrics metrics(lblInfo->font());
    int width = 0;
    int height = 0;
    for (const QString &line : lines) {
        width = std::max(width, metrics.horizontalAdvance(line));
        height += metrics.height();
    }
    setFixedSize(width + Padding, height + Padding);
}

QString TfrmShowInOutInfo::text() const
{
    return lblInfo->text();
}

void TfrmShowInOutInfo::lblInfoClick()
{
    close();
}

void TfrmShowInOutInfo::Panel1Click()
{
    close();
}

void TfrmShowInOutInfo::FormClick()
{
    close();
}

void TfrmShowInOutInfo::mousePressEvent(QMouseEvent *event)
{
    // The label and the panel pass their clicks on to the window.
    QDialog::mousePressEvent(event);
    FormClick();
}
