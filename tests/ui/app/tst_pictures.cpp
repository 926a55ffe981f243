#include "ui/app/pictures.h"
#include "ui/filelist/filepictures.h"

#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPixmap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// True when the icon, drawn at size x size, covers at least one pixel: a drawing the SVG renderer cannot read, or a
// resource that was not linked in, gives an empty picture.
bool drawsAnything(const QIcon& icon, int size)
{
    const QImage image = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

} // namespace

class TestPictures final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // The SVG renderer warns about a drawing it cannot parse or a reference it cannot resolve (a gradient or
        // pattern by id): either leaves part of the picture undrawn.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        m_themeName = QIcon::themeName();
        m_themeSearchPaths = QIcon::themeSearchPaths();
    }

    void cleanup()
    {
        QIcon::setThemeSearchPaths(m_themeSearchPaths);
        QIcon::setThemeName(m_themeName);
    }

    void everyPictureDraws_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"tagscope",    "folder48",   "zoom",    "exit",          "help",
                                 "reverse",     "feedback",   "about",   "folder-open16", "document-blank16",
                                 "lightbulb64", "image16",    "audio16", "video16",       "archive16",
                                 "text16",      "document16", "logo",    "cat",           "arrow",
                                 "close",       "like",       "dislike"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // Without an icon theme (as in this test's environment) every name falls back to the program's own drawing,
    // so this checks each drawing at the sizes the menus, buttons and the hint use.
    void everyPictureDraws()
    {
        QFETCH(QString, name);
        const QIcon icon = Picture(name);
        QVERIFY(!icon.isNull());
        for (int size : {16, 24, 48, 64})
            QVERIFY2(drawsAnything(icon, size), qPrintable(QStringLiteral("empty at %1 px").arg(size)));
    }

    void unknownNameGivesNullIcon() { QVERIFY(Picture(QStringLiteral("no-such-picture")).isNull()); }

    // A theme icon is preferred where the theme has one; elsewhere, and for the program icon, the own drawing serves.
    void themeIconPreferredWhereItExists()
    {
        QTemporaryDir themes;
        QVERIFY(themes.isValid());
        QDir root(themes.path());
        QVERIFY(root.mkpath(QStringLiteral("fixture/16x16/apps")));
        QVERIFY(root.mkpath(QStringLiteral("fixture/16x16/actions")));
        QFile index(root.filePath(QStringLiteral("fixture/index.theme")));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Fixture\nDirectories=16x16/actions,16x16/apps\n\n"
                    "[16x16/actions]\nSize=16\nType=Fixed\n\n[16x16/apps]\nSize=16\nType=Fixed\n");
        index.close();
        QImage square(16, 16, QImage::Format_ARGB32);
        square.fill(Qt::red);
        QVERIFY(square.save(root.filePath(QStringLiteral("fixture/16x16/actions/application-exit.png"))));
        QVERIFY(square.save(root.filePath(QStringLiteral("fixture/16x16/apps/tagscope.png"))));

        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("fixture"));

        QCOMPARE(Picture(QStringLiteral("exit")).name(), QStringLiteral("application-exit"));
        const QIcon zoom = Picture(QStringLiteral("zoom"));
        QCOMPARE(zoom.name(), QString());
        QVERIFY(drawsAnything(zoom, 16));
        const QIcon program = Picture(QStringLiteral("tagscope"));
        QCOMPARE(program.name(), QString());
        QVERIFY(drawsAnything(program, 16));
    }

    // Without an icon theme (a plain window manager), images, audio, video, archives, documents and text each get a
    // picture of their own, and a kind of file the program has no picture for gets none (the list shows the blank
    // document then).
    void fileTypesWithoutATheme()
    {
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(QString());
        const FilePictures pictures;
        const QMimeDatabase types;
        QList<QImage> seen;
        for (const char* file : {"a.png", "a.mp3", "a.mp4", "a.zip", "a.pdf", "a.txt"}) {
            const QIcon icon =
                pictures.typePicture(types.mimeTypeForFile(QString::fromLatin1(file), QMimeDatabase::MatchExtension));
            QVERIFY2(drawsAnything(icon, 16), file);
            const QImage image = icon.pixmap(16, 16).toImage();
            QVERIFY2(!seen.contains(image), file);
            seen.append(image);
        }
        QVERIFY(pictures.typePicture(types.mimeTypeForName(QStringLiteral("application/octet-stream"))).isNull());
    }

private:
    QString m_themeName;
    QStringList m_themeSearchPaths;
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
