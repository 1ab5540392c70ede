#include "app/qt/system_ports.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <QUrl>

#include <chrono>
#include <thread>

namespace tolvan {

int ClockPort::second() { return QTime::currentTime().second(); }

void ClockPort::wait(double d) {
    if (onWait) onWait(d);
    if (!(d > 0)) return;
    auto until = std::chrono::steady_clock::now() +
                 std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                     std::chrono::duration<double>(d));
    std::this_thread::sleep_until(until);
}

std::string ClockPort::currentDir() { return QDir::currentPath().toStdString(); }

void BrowserPort::open(const std::string& address) {
    QString a = QString::fromStdString(address);
    QUrl url(a);
    // A bare path (or anything without a scheme of its own) is a local file.
    if (url.scheme().isEmpty() || QFileInfo::exists(a))
        url = QUrl::fromLocalFile(QFileInfo(a).absoluteFilePath());
    QDesktopServices::openUrl(url);
}

}  // namespace tolvan
