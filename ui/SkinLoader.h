#pragma once
// Builds the widgets of one skin file (a Qt Designer .ui file) with
// QUiLoader. Qt's own classes are built by the loader and wired to send
// their notifications; every other class name goes to the window's
// CreateControl, and when that gives nothing the class the skin says the
// custom class extends is built instead (a plain QWidget when it says none).
// Labels show plain text.
//
// Threads: UI thread only. One loader builds one file; sub-layouts named in
// it are built by loaders of their own, through CreateControl.
#include "ui/DesignerPluginGuard.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QUiLoader>

namespace ui {

class CXMLWnd;

// The guard is the first base: it must be in place before QUiLoader's
// constructor looks for plug-ins.
class SkinLoader : private DesignerPluginGuard, public QUiLoader {
public:
    explicit SkinLoader(CXMLWnd& window);

    // Builds the file at path; nullptr when it cannot be read or is no
    // valid skin (the reason goes to the log).
    QWidget* build(const QString& path, QWidget* parent);

protected:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;

private:
    void readCustomClasses(const QByteArray& skin);
    QWidget* createQtWidget(const QString& className, QWidget* parent, const QString& name);

    CXMLWnd& window_;
    QHash<QString, QString> extends_;  // custom class name -> class it extends
};

}  // namespace ui
