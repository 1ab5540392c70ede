// The window program started as a desktop starts it: with --help where there is no
// display, and with a game record named on its command line.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "qt_support.h"

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
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"game.sgf", "-h"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Finished r = run(QStringLiteral(TOLVAN_PROGRAM), args, env);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("--screenshot") && r.out.contains("record.sgf")) << r.out.toStdString();
    }
}

// `tolvan RECORD.sgf`: the record on the board at start-up, or the message of 棋譜を開く
// and the empty board. The program is a portable copy started from another folder, with
// the record's name relative to that folder.
TEST(QtCommandLineTest, ARecordNamedAtStartUpIsOpenedAsTheMenuOpensIt) {
    QTemporaryDir dir, portable;
    ASSERT_TRUE(dir.isValid() && portable.isValid());
    const QString program = portable.filePath("tolvan");
    const QString book = QString::fromUtf8("Tolvan.定石");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVAN_PROGRAM), program));
    ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(TOLVAN_PROGRAM)).dir().filePath(book), portable.filePath(book)));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("QT_SCALE_FACTOR");

    struct Case {
        const char* content;
        QString says;  // the message box written to standard error, or nothing
        bool stone;    // black's stone on D16
    };
    const QString refused = "[棋譜を開く] 「" + dir.filePath("game.sgf") + "」を開けません。";
    const std::vector<Case> cases = {
        {"(;GM[1]FF[4]SZ[19];B[dd];W[pp])", {}, true},
        {"no record here", refused, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        QFile record(dir.filePath("game.sgf"));
        ASSERT_TRUE(record.open(QIODevice::WriteOnly | QIODevice::Truncate));
        record.write(c.content);
        record.close();
        const QString shot = dir.filePath("shot.png");
        QFile::remove(shot);
        const Finished r = run(program, {"--screenshot", shot, "game.sgf"}, env, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (c.says.isEmpty())
            EXPECT_FALSE(r.err.contains("[棋譜を開く]")) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        const QImage image(shot);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(isDark(image.pixelColor(cellPixel(4, 4) + QPoint(13, 13))), c.stone);
    }
}

}  // namespace
}  // namespace tolvan
