#include "playlist/SkinImage.h"

#include "playlist/SkinAttributeList.h"
#include "ui/UiLibrary.h"

#include <QFileInfo>
#include <QPixmapCache>

namespace {

QPixmap loadFile(const QString& file) {
    const QString key = QStringLiteral("veltara-skin:") + file;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    const QString folder = ui::resourcePath();
    for (const QString& path : {folder + file, folder + QStringLiteral("images/") + file}) {
        if (QFileInfo(path).isFile() && pixmap.load(path)) break;
    }
    if (!pixmap.isNull()) QPixmapCache::insert(key, pixmap);
    return pixmap;
}

}  // namespace

SkinImage SkinImage::Parse(QStringView text) {
    SkinImage image;
    const QStringView trimmed = text.trimmed();
    if (!trimmed.contains(u'=')) {
        image.file = trimmed.toString();
        return image;
    }
    for (const auto& [name, value] : SkinAttributeList::Parse(trimmed)) {
        if (name == u"file") {
            image.file = value;
        } else if (name == u"source") {
            int v[4];
            if (SkinAttributeList::ParseFourInts(value, v) && v[2] > v[0] && v[3] > v[1])
                image.source = QRect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
        }
    }
    return image;
}

QPixmap SkinImage::Pixmap() const {
    if (file.isEmpty()) return {};
    const QPixmap whole = loadFile(file);
    if (whole.isNull() || source.isEmpty()) return whole;
    if (!whole.rect().contains(source)) return {};
    const QString key = QStringLiteral("veltara-skin:%1#%2,%3,%4,%5")
                            .arg(file)
                            .arg(source.x())
                            .arg(source.y())
                            .arg(source.width())
                            .arg(source.height());
    QPixmap part;
    if (QPixmapCache::find(key, &part)) return part;
    part = whole.copy(source);
    QPixmapCache::insert(key, part);
    return part;
}
