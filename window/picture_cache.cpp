#include "window/picture_cache.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QFile>

#include <cstdio>
#include <string>
#include <variant>

#include "records/read.h"

namespace tolvan {

namespace {

// The largest picture, VERSION at the largest cell, is well under this as a PNG.
constexpr std::size_t max_picture_bytes = 32u << 20;

PictureCache* current = nullptr;

}  // namespace

PictureCache::PictureCache(QString folder, QString build) : folder_(std::move(folder)), build_(std::move(build)) {}

QString PictureCache::path(const QString& name, int cell) const {
    return QDir(folder_).filePath(build_ + QLatin1Char('/') + QString::number(cell) + QLatin1Char('/') + name +
                                  QStringLiteral(".png"));
}

QImage PictureCache::find(const QString& name, int cell, QSize size) const {
    if (folder_.isEmpty() || build_.isEmpty()) return {};
    auto read = files::readWhole(QFile::encodeName(path(name, cell)).toStdString(), max_picture_bytes);
    const std::string* bytes = std::get_if<std::string>(&read);
    if (!bytes) return {};
    QImage picture;
    if (!picture.loadFromData(reinterpret_cast<const uchar*>(bytes->data()), int(bytes->size()), "PNG") ||
        picture.size() != size)
        return {};
    return picture.convertToFormat(QImage::Format_RGB32);
}

void PictureCache::keep(const QString& name, int cell, const QImage& picture) {
    if (folder_.isEmpty() || build_.isEmpty() || picture.isNull()) return;
    kept_.push_back({name, cell, picture});
}

void PictureCache::writeKept() {
    if (kept_.empty()) return;
    // Only folders named as builds are named are taken for another build's.
    if (!cleared_) {
        cleared_ = true;
        static const QRegularExpression buildName(QStringLiteral("^[0-9a-f]+-[0-9a-f]+$"));
        QDir top(folder_);
        for (const QString& other : top.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (other != build_ && buildName.match(other).hasMatch()) QDir(top.filePath(other)).removeRecursively();
    }
    for (const Kept& k : kept_) {
        const QString file = path(k.name, k.cell);
        if (!QDir().mkpath(QFileInfo(file).path())) break;
        // Written beside and renamed over the old file: a start that reads meanwhile finds
        // the old picture or the new one whole. A cache needs no syncing to the disk.
        const QString part = file + QStringLiteral(".part") + QString::number(QCoreApplication::applicationPid());
        // Fast compression: the files are small, and writing them is part of a first start.
        if (k.picture.save(part, "PNG", 80) &&
            std::rename(QFile::encodeName(part).constData(), QFile::encodeName(file).constData()) == 0)
            continue;
        QFile::remove(part);
    }
    kept_.clear();
}

QString programBuild() {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (!program.exists()) return {};
    return QString::number(program.size(), 16) + QLatin1Char('-') +
           QString::number(program.lastModified().toMSecsSinceEpoch(), 16);
}

void usePictureCache(PictureCache* cache) { current = cache; }
PictureCache* pictureCache() { return current; }

}  // namespace tolvan
