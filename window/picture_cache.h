// Pictures painted for a cell other than the shipped one, kept between runs as PNG
// files: a later start at the same size reads them instead of painting them again.
// Each build of the program keeps its own in a folder named after the build, and the
// folders of other builds are removed when a build writes its first pictures.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace tolvan {

class PictureCache {
public:
    // Pictures kept in `folder`/`build`/<cell>/<name>.png. An empty folder or build
    // keeps nothing.
    PictureCache(QString folder, QString build);

    // The picture kept for `name` at `cell`; a null image when none is kept, or when the
    // file is not a PNG of `size`.
    QImage find(const QString& name, int cell, QSize size) const;
    // Keeps the picture: it is written with the others by writeKept, so that the start
    // does not wait for the files.
    void keep(const QString& name, int cell, const QImage& picture);
    // Writes the pictures kept since the last call, each file replaced whole. A folder
    // that cannot be written keeps nothing, silently: the pictures are painted again.
    void writeKept();

private:
    struct Kept {
        QString name;
        int cell;
        QImage picture;
    };
    QString path(const QString& name, int cell) const;

    QString folder_, build_;
    std::vector<Kept> kept_;
    bool cleared_ = false;
};

// The name of this build of the program: the program file's size and time.
QString programBuild();

// The cache the window's pictures use; none until the window sets one.
void usePictureCache(PictureCache* cache);
PictureCache* pictureCache();

}  // namespace tolvan
