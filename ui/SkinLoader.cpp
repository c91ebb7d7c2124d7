#include "ui/SkinLoader.h"

#include "ui/CXMLWnd.h"
#include "ui/ControlNotifications.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QXmlStreamReader>
#include <QtDebug>

namespace ui {

namespace {
// Classes the loader builds itself. Designer plug-ins are never loaded, so
// this is Qt's own list and nothing installed on the machine can change it.
const QSet<QString>& qtClasses() {
    static const QSet<QString> classes = [] {
        DesignerPluginGuard guard;
        QUiLoader loader;
        guard.release();
        const QStringList names = loader.availableWidgets();
        QSet<QString> set(names.begin(), names.end());
        set.insert(QStringLiteral("Line"));  // Designer's line is a QFrame
        return set;
    }();
    return classes;
}
}  // namespace

SkinLoader::SkinLoader(CXMLWnd& window) : window_(window) {
    release();
    clearPluginPaths();
}

QWidget* SkinLoader::build(const QString& path, QWidget* parent) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "Skin" << path << "cannot be read:" << file.errorString();
        return nullptr;
    }
    const QByteArray skin = file.readAll();
    readCustomClasses(skin);
    // Images named in the skin are relative to its own folder, as in Designer.
    setWorkingDirectory(QFileInfo(path).absoluteDir());
    QBuffer buffer;
    buffer.setData(skin);
    buffer.open(QIODevice::ReadOnly);
    QWidget* root = load(&buffer, parent);
    if (!root) {
        qWarning().noquote() << "Skin" << path << "cannot be built:" << errorString();
        return nullptr;
    }
    // Labels never read their text as markup; the skin's own texts are plain too.
    for (QLabel* label : root->findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
    if (auto* label = qobject_cast<QLabel*>(root)) label->setTextFormat(Qt::PlainText);
    return root;
}

void SkinLoader::readCustomClasses(const QByteArray& skin) {
    QXmlStreamReader xml(skin);
    QString className;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement()) continue;
        if (xml.name() == u"class" && !xml.isEndElement()) {
            className = xml.readElementText();
        } else if (xml.name() == u"extends" && !className.isEmpty()) {
            extends_.insert(className, xml.readElementText());
            className.clear();
        }
    }
    // The class of the top-level <ui> element is the form's name, not a
    // custom class; an entry for it with no <extends> does no harm.
}

QWidget* SkinLoader::createQtWidget(const QString& className, QWidget* parent, const QString& name) {
    QWidget* widget = QUiLoader::createWidget(className, parent, name);
    if (widget) connectNotifications(widget);
    return widget;
}

QWidget* SkinLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    if (qtClasses().contains(className)) return createQtWidget(className, parent, name);

    QWidget* widget = window_.CreateControl(className, parent);
    if (widget) {
        if (widget->parentWidget() != parent) widget->setParent(parent);
    } else {
        const QString base = extends_.value(className);
        widget = qtClasses().contains(base) ? createQtWidget(base, parent, name) : new QWidget(parent);
    }
    // The name in this skin wins, also over the name inside a sub-layout.
    widget->setObjectName(name);
    return widget;
}

}  // namespace ui
