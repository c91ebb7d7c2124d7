#include "map/MapWebProfile.h"

#include "config/Version.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QWebEngineProfile>

QWebEngineProfile* MapWebProfile::shared() {
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile(QString::fromLatin1(kStorageName), QCoreApplication::instance());
        const QString cacheRoot = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        p->setCachePath(cacheRoot + QLatin1Char('/') + QLatin1String(kCacheFolder));
        p->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        p->setHttpCacheMaximumSize(static_cast<int>(kCacheBytes));
        // The map needs no cookies kept between runs.
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setHttpUserAgent(QStringLiteral("VeltaraDVRPlayer/" VELTARA_VERSION " ") + p->httpUserAgent());
        return p;
    }();
    return profile;
}
