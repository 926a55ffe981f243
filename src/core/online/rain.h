#pragma once

#include <QChar>
#include <QColor>
#include <QPoint>
#include <QRect>

#include <functional>
#include <string_view>
#include <vector>

// One falling stream of the about box's character rain: its head is at (column, row) in cells.
struct TDrop
{
    int column = 0;
    int row = 0;
    int period = 1;     // 1..3: the drop moves one row every period ticks
    int brightness = 0; // 0..99: the head's brightness in percent
};

// What drawing one drop does to the picture, in pixels: erase a cell far above the head, then draw the character
// once in the trail's colour in the cell above the head (unless the head is in the top row) and once in the head's
// colour at the head. Characters are drawn opaquely on black: each replaces its whole cell.
struct TRainDraw
{
    QRect erase;
    QChar c;
    bool hasTrail = false;
    QPoint trailPos; // top-left corner of the trail's cell
    QColor trailColor;
    QPoint headPos; // top-left corner of the head's cell
    QColor headColor;
};

// The character rain's arithmetic: a grid of 8 by 12 pixel cells over the window, and drops that fall down its
// columns at one of three speeds. The random source gives an integer in 0..bound-1 for a bound of at least 1, so
// tests can script it; without one the rain uses Qt's global generator.
class TRain final
{
public:
    using RandomSource = std::function<int(int bound)>;

    static constexpr int charWidth = 8;
    static constexpr int charHeight = 12;
    static constexpr int maxDrops = 5000;
    // How many rows above its head a drop erases the column: the length of its visible tail.
    static constexpr int eraseDistance = 40;
    static constexpr std::u16string_view charSet = u"brin";

    explicit TRain(RandomSource random = {});

    // Records the window's outer size, lays the grid over it, sets the tick counter to 0 and seeds the drops.
    void Start(int bitmapWidth, int bitmapHeight);
    // Empties the drop list and adds two drops for every column, over the grid recorded by Start.
    void SeedDrops();
    // Appends a drop in the next column (round robin) at a random row, speed and brightness, unless the list is full
    // or the grid has no column.
    void AddDrop();
    // One tick: draws and moves every drop, in list order, and returns the drawing of each.
    std::vector<TRainDraw> StepRain();
    // The drawing of a drop with its character, at the drop's present place.
    TRainDraw DrawDrop(const TDrop& drop, QChar c) const;

    static QColor HeadColor(int brightness);
    static QColor TrailColor(int brightness);

    int bitmapWidth() const { return m_bitmapWidth; }
    int bitmapHeight() const { return m_bitmapHeight; }
    int matrixWidth() const { return m_matrixWidth; }
    int matrixHeight() const { return m_matrixHeight; }
    int dropCount() const { return int(m_drops.size()); }
    int tickCounter() const { return m_tick; }
    const std::vector<TDrop>& drops() const { return m_drops; }

private:
    int random(int bound) const;

    RandomSource m_random;
    int m_bitmapWidth = 0;
    int m_bitmapHeight = 0;
    int m_matrixWidth = 0;
    int m_matrixHeight = 0;
    int m_tick = 0;
    std::vector<TDrop> m_drops;
};
