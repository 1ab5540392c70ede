// The pictures painted for other sizes, kept between runs: what a later start finds.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "window/picture_cache.h"

namespace tolvan {
namespace {

QImage picture(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    img.setPixel(1, 2, qRgb(1, 2, 3));
    return img;
}

// A kept picture comes back as it was painted; a file that is damaged or is not one is
// not taken for the picture (it is painted again).
TEST(PictureCacheTest, FindsWhatWasKeptAndNothingDamaged) {
    QTemporaryDir dir;
    const QString at = dir.filePath(QStringLiteral("b-1/42/"));
    const QImage stone = picture(42, 42, qRgb(200, 150, 90));
    {
        PictureCache cache(dir.path(), QStringLiteral("b-1"));
        cache.keep(QStringLiteral("KUROSOTO"), 42, stone);
        EXPECT_TRUE(cache.find(QStringLiteral("KUROSOTO"), 42, stone.size()).isNull()) << "not written yet";
        cache.writeKept();
    }
    PictureCache later(dir.path(), QStringLiteral("b-1"));
    EXPECT_EQ(later.find(QStringLiteral("KUROSOTO"), 42, stone.size()), stone);
    EXPECT_TRUE(later.find(QStringLiteral("KUROSOTO"), 63, QSize(63, 63)).isNull());
    EXPECT_TRUE(PictureCache(dir.path(), QStringLiteral("b-2")).find(QStringLiteral("KUROSOTO"), 42, stone.size()).isNull());

    picture(40, 42, 0).save(at + QStringLiteral("SIROSOTO.png"));
    QFile garbage(at + QStringLiteral("KARANAKA.png"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a picture");
    garbage.close();
    QDir().mkpath(at + QStringLiteral("KARANAKATEN.png"));
    for (const char* name : {"SIROSOTO", "KARANAKA", "KARANAKATEN"})
        EXPECT_TRUE(later.find(QString::fromLatin1(name), 42, QSize(42, 42)).isNull()) << name;
}

// A new build's first pictures clear the folders of other builds, and nothing else; a
// folder that cannot be written keeps nothing and stops nothing.
TEST(PictureCacheTest, ANewBuildClearsTheOldOnesPicturesOnly) {
    QTemporaryDir dir;
    for (const char* sub : {"a1-5/42", "mine", "a1-6"}) QDir(dir.path()).mkpath(QString::fromLatin1(sub));
    PictureCache cache(dir.path(), QStringLiteral("a1-6"));
    cache.keep(QStringLiteral("KARANAKA"), 42, picture(42, 42, 0));
    cache.writeKept();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("a1-6"), QStringLiteral("mine")}));

    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PictureCache unwritable(blocker.fileName(), QStringLiteral("a1-6"));
    unwritable.keep(QStringLiteral("KARANAKA"), 42, picture(42, 42, 0));
    unwritable.writeKept();
    EXPECT_TRUE(unwritable.find(QStringLiteral("KARANAKA"), 42, QSize(42, 42)).isNull());
}

}  // namespace
}  // namespace tolvan
