#include "core/online/rain.h"

#include <QRandomGenerator>

#include <algorithm>
#include <utility>

namespace {

// The rain's green: red and blue are scaled down from the brightness so that bright drops stay green, not white.
QColor RainColor(int value)
{
    return QColor(value * 150 / 255, value, value * 100 / 255);
}

} // namespace

TRain::TRain(RandomSource random) : m_random(std::move(random))
{
    if (!m_random)
        m_random = [](int bound) { return int(QRandomGenerator::global()->bounded(bound)); };
}

int TRain::random(int bound) const
{
    return m_random(bound);
}

void TRain::Start(int bitmapWidth, int bitmapHeight)
{
    m_bitmapWidth = std::max(0, bitmapWidth);
    m_bitmapHeight = std::max(0, bitmapHeight);
    m_matrixWidth = m_bitmapWidth / charWidth;
    m_matrixHeight = m_bitmapHeight / charHeight;
    m_tick = 0;
    SeedDrops();
}

void TRain::SeedDrops()
{
    m_drops.clear();
    m_drops.reserve(std::size_t(std::min(2 * m_matrixWidth, int(maxDrops))));
    for (int i = 0; i < 2 * m_matrixWidth; ++i)
        AddDrop();
}

void TRain::AddDrop()
{
    if (m_matrixWidth <= 0 || dropCount() >= maxDrops)
        return;
    TDrop drop;
    drop.column = dropCount() % m_matrixWidth;
    drop.row = m_matrixHeight > 0 ? random(m_matrixHeight) : 0;
    drop.period = 1 + random(3);
    drop.brightness = random(100);
    m_drops.push_back(drop);
}

std::vector<TRainDraw> TRain::StepRain()
{
    std::vector<TRainDraw> draws;
    draws.reserve(m_drops.size());
    for (TDrop& drop : m_drops) {
        const QChar c = charSet[std::size_t(random(int(charSet.size())))];
        draws.push_back(DrawDrop(drop, c));
        if (m_tick % drop.period == 0) {
            ++drop.row;
            // Two rows past the grid the tail has left the window too; the drop starts again at the top.
            if (drop.row > m_matrixHeight + 1) {
                drop.row = 0;
                drop.period = 1 + random(3);
                drop.brightness = random(100);
            }
        }
    }
    ++m_tick;
    return draws;
}

TRainDraw TRain::DrawDrop(const TDrop& drop, QChar c) const
{
    TRainDraw draw;
    const int x = drop.column * charWidth;
    // While the head is near the top, the cell to erase wraps round to the bottom of the column.
    int r = drop.row - eraseDistance;
    while (r < 0)
        r += m_matrixHeight + 1;
    draw.erase = QRect(x, r * charHeight, charWidth, charHeight);
    draw.c = c;
    draw.headColor = HeadColor(drop.brightness);
    draw.headPos = QPoint(x, drop.row * charHeight);
    if (drop.row > 0) {
        draw.hasTrail = true;
        draw.trailColor = TrailColor(drop.brightness);
        draw.trailPos = QPoint(x, (drop.row - 1) * charHeight);
    }
    return draw;
}

QColor TRain::HeadColor(int brightness)
{
    return RainColor(brightness * 255 / 100);
}

QColor TRain::TrailColor(int brightness)
{
    return RainColor(brightness * 255 / 100 / 3);
}
