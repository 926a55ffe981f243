#include "ui/app/pictures.h"

#include <QStringView>

namespace {

struct PictureName
{
    QStringView name;
    // The freedesktop icon name to prefer, or empty when only the program's own drawing fits.
    QStringView themeName;
};

constexpr PictureName kPictures[] = {
    // An icon theme's copy of the program icon may be missing or from another version.
    {u"tagscope", u""},
    {u"folder48", u"folder-open"},
    {u"zoom", u"system-search"},
    {u"exit", u"application-exit"},
    {u"help", u"help-contents"},
    {u"reverse", u"edit-select-invert"},
    {u"feedback", u"mail-send"},
    {u"about", u"help-about"},
    {u"folder-open16", u"folder-open"},
    {u"document-blank16", u"text-x-generic"},
    {u"lightbulb64", u""},
    // The pictures of file types where the desktop has no icon theme.
    {u"image16", u""},
    {u"audio16", u""},
    {u"video16", u""},
    {u"archive16", u""},
    {u"text16", u""},
    {u"document16", u""},
    // The online windows' drawings: a theme's "go-down" or "window-close" is drawn for another size and background.
    {u"logo", u""},
    {u"cat", u""},
    {u"arrow", u""},
    {u"close", u""},
    {u"like", u""},
    {u"dislike", u""},
};

} // namespace

// Outside the anonymous namespace: Q_INIT_RESOURCE declares the resource's initialiser in the enclosing namespace.
static void loadResources()
{
    // The resources are compiled into a static library; without a reference to them the linker drops them.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(tagscope);
        return true;
    }();
    Q_UNUSED(loaded);
}

QIcon Picture(const QString& name)
{
    loadResources();
    for (const PictureName& picture : kPictures) {
        if (picture.name != name)
            continue;
        QIcon own(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
        if (picture.themeName.isEmpty())
            return own;
        return QIcon::fromTheme(picture.themeName.toString(), own);
    }
    return {};
}
