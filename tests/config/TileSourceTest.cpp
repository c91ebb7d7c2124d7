// A tile source from the hand-edited settings file: only a usable template
// replaces the page's own, the attribution cannot carry markup, the zoom is
// kept within the map's range.
#include "config/TileSource.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(TileSource, OnlyAnHttpTemplateWithItsPlaceholdersIsTaken) {
    for (const char* good :
         {"https://tile.example.org/{z}/{x}/{y}.png", "HTTP://{s}.example.org/{z}/{x}/{y}.png?k=1&s=2",
          "http://127.0.0.1:8080/t?z={z}&x={x}&y={y}"})
        EXPECT_TRUE(TileSource::isUrlTemplate(good)) << good;
    for (const char* bad :
         {"", "file:///etc/{z}/{x}/{y}", "javascript:alert(1)//{z}{x}{y}", "https://{z}/{x}/{y}",
          "https:///{z}/{x}/{y}", "https://t.example.org/{z}/{x}.png", "https://t.example.org/{z}/{x}/{y}/{r}",
          "https://t.example.org/{z}/{x}/{y", "https://t.example.org/{z}/{x}/{y}.png' + alert(1) + '",
          "https://t.example.org/{z}/{x}/{y}\"></script>", "https://t.example.org/{z}/{x}/{y}\\",
          "https://t.example.org/{z}/{x}/{y} x", "https://t.example.org/\xc3\xa9/{z}/{x}/{y}"})
        EXPECT_FALSE(TileSource::isUrlTemplate(bad)) << bad;
    EXPECT_EQ(TileSource::escapeHtml("&copy; <img src=x onerror=\"alert('1')\">\x01\n"),
              "&amp;copy; &lt;img src=x onerror=&quot;alert(&#39;1&#39;)&quot;&gt;");
    EXPECT_EQ(TileSource::sectionFor("GoogleMap_China.html"), "GoogleMap_China");
}

TEST(TileSource, ReadsThePagesSectionAndFallsBackWhenUnusable) {
    testing_support::TempFolder program;
    program.write("conf/TotalConfig/Tavimoor.ini",
                  "[MPlayer]\nLanguage=english.ini\n"
                  "[GoogleMap_Oversea]\nTileUrl=https://t.example.org/{z}/{x}/{y}.png\n"
                  "TileAttribution=<b>Tiles</b> & co\nTileMaxZoom=99\n"
                  "[BaiduMap]\nTileUrl=ftp://t.example.org/{z}/{x}/{y}\nTileAttribution=ignored\nTileMaxZoom=12\n"
                  "[GoogleMap_China]\nTileUrl=https://t.example.org/{z}/{x}/{y}.png\nTileMaxZoom=15\n");
    const ConfigStore store(program.path());
    const TileSource oversea = TileSource::read(store, "GoogleMap_Oversea.html");
    EXPECT_EQ(oversea.urlTemplate, "https://t.example.org/{z}/{x}/{y}.png");
    EXPECT_EQ(oversea.attributionHtml, "&lt;b&gt;Tiles&lt;/b&gt; &amp; co");
    EXPECT_EQ(oversea.maxZoom, 0);  // out of range: the page's own
    EXPECT_EQ(TileSource::read(store, "GoogleMap_China.html").maxZoom, 15);
    const TileSource baidu = TileSource::read(store, "BaiduMap.html");
    EXPECT_FALSE(baidu.configured());
    EXPECT_EQ(baidu.attributionHtml, "");
    EXPECT_FALSE(TileSource::read(store, "Other.html").configured());
}
