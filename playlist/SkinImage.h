#pragma once
// An image of a skin attribute: a bare file name, or "file='x.png'
// source='l,t,r,b'" for a part of the file. Files are looked up in the skin
// folder, then in its images/ folder; the pixmaps are cached.
//
// Threads: UI thread (pixmaps).
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringView>

struct SkinImage {
    QString file;
    QRect source;  // empty for the whole file

    bool isNull() const { return file.isEmpty(); }
    // A text without a file gives a null image.
    static SkinImage Parse(QStringView text);
    // The (part of the) image; a null pixmap when the file cannot be read
    // or the part lies outside it.
    QPixmap Pixmap() const;
};
