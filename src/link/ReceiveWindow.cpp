#include "link/ReceiveWindow.h"

QByteArray ReceiveWindow::take()
{
    QByteArray bytes(reinterpret_cast<const char *>(m_bytes.data()), qsizetype(m_size));
    m_size = 0;
    return bytes;
}
