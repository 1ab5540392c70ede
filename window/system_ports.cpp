#include "window/system_ports.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTime>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <thread>

namespace tolvan {

int ClockPort::second() { return QTime::currentTime().second(); }

void ClockPort::wait(double d) {
    if (beforeWait) beforeWait();
    if (onWait) onWait(d);
    if (!(d > 0)) return;
    auto until = std::chrono::steady_clock::now() +
                 std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                     std::chrono::duration<double>(d));
    std::this_thread::sleep_until(until);
}

std::string ClockPort::currentDir() { return QDir::currentPath().toStdString(); }

std::string ClockPort::today() { return QDate::currentDate().toString(Qt::ISODate).toStdString(); }

std::string ClockPort::now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmm")).toStdString();
}

void BrowserPort::open(const std::string& address, std::function<void()> onFailure) {
    QString target = QString::fromStdString(address);
    // A bare path (or anything without a scheme of its own) is a local file.
    if (QUrl(target).scheme().isEmpty() || QFileInfo::exists(target))
        target = QFileInfo(target).absoluteFilePath();

    // No parent: the process object outlives a watch that ends, and is never destroyed
    // while the opener runs, since that would kill it (and with it, in many setups, the
    // browser). It deletes itself once the opener has ended.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({target});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);

    auto watching = std::make_shared<bool>(true);
    auto fail = [watching, onFailure = std::move(onFailure)] {
        if (!*watching) return;
        *watching = false;
        if (onFailure) onFailure();
    };
    QObject::connect(process, &QProcess::errorOccurred, &reports_,
                     [fail](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) fail();
                     });
    QObject::connect(process, &QProcess::finished, &reports_,
                     [fail](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) fail();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) process->deleteLater();
                     });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QTimer::singleShot(watchMilliseconds, &reports_, [watching] { *watching = false; });
    process->start();
}

}  // namespace tolvan
