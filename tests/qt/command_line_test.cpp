// The window program started from a command line: with --help where there is no display.
#include <gtest/gtest.h>

#include <QProcess>

namespace tolvan {
namespace {

struct Finished {
    int exitCode = -1;
    QString out, err;
};

Finished run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
        const QString& folder = {}) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Without any window system the help is still printed, wherever --help stands.
TEST(QtCommandLineTest, HelpNeedsNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"-h"}, QStringList{"game.sgf", "--help"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Finished r = run(QStringLiteral(TOLVAN_PROGRAM), args, env);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("--screenshot")) << r.out.toStdString();
    }
}

}  // namespace
}  // namespace tolvan
