#include "render/glowcanvas_win.h"

#include "base/errors.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace vemora {

namespace {

// Figures never seen before whose reach one draw measures; a line that is
// mostly new is cheaper to draw whole.
constexpr std::size_t kMaxMeasuredPerDraw = 24;
// Bounds of what is kept between draws. A clock's seconds need about 70
// strips, each some 30 columns wide at 96 dpi; sixteen whole images hold them
// with room to spare at any resolution.
constexpr std::size_t kMaxFigures = 1024;
constexpr std::size_t kMaxStripImages = 16;
// Columns beyond the last one a figure was seen to touch, for antialiased
// coverage too faint to show in the measurement.
constexpr int kReachMargin = 2;

void Check(Gdiplus::Status status) {
    if (status != Gdiplus::Ok)
        throw std::runtime_error(GdiplusStatusName(static_cast<int>(status)));
}

void Append(std::string& key, std::uint32_t value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

// One closed outline of the path, as its points and point types, and the
// columns [left, right) that drawing it touches.
struct GlowCanvas::Figure {
    const std::string* data = nullptr; // points, then types
    int count = 0;
    float minX = 0, maxX = 0;
    bool measured = false;
    int left = 0, right = 0;

    const Gdiplus::PointF* Points() const { return reinterpret_cast<const Gdiplus::PointF*>(data->data()); }
    const BYTE* Types() const { return reinterpret_cast<const BYTE*>(data->data()) + sizeof(Gdiplus::PointF) * count; }
};

// For each column, the figures whose reach covers it, in path order.
struct GlowCanvas::Columns {
    std::vector<int> start; // column x lists ids[start[x] .. start[x + 1])
    std::vector<std::uint32_t> ids;

    bool Same(const Columns& other, int x) const {
        const int n = start[x + 1] - start[x];
        return n == other.start[x + 1] - other.start[x] &&
               std::equal(ids.begin() + start[x], ids.begin() + start[x + 1], other.ids.begin() + other.start[x]);
    }
};

GlowCanvas::GlowCanvas(int dpi) : image_(dpi) {}
GlowCanvas::GlowCanvas(int dpi, int width, int height) : image_(dpi, width, height) {}
GlowCanvas::~GlowCanvas() = default;

std::size_t GlowCanvas::StripBudget() const {
    return kMaxStripImages * sizeof(std::uint32_t) * image_.Width() * image_.Height();
}

void GlowCanvas::Forget() {
    valid_ = false;
    figures_.clear();
    figureIds_.clear();
    figureTable_.clear();
    strips_.clear();
    stripIndex_.clear();
    stripBytes_ = 0;
}

void GlowCanvas::Draw(const std::wstring& text, const Gdiplus::FontFamily& family, const std::wstring& familyName,
                      int emSize, Argb startColor, Argb endColor) {
    using namespace Gdiplus;
    bool sameStyle =
        valid_ && familyName == familyName_ && emSize == emSize_ && startColor == startColor_ && endColor == endColor_;
    changed_ = {};
    if (sameStyle && text == text_) {
        ++counters_.unchanged;
        return;
    }
    if (!sameStyle || figureTable_.size() > kMaxFigures) {
        Forget();
        sameStyle = false;
        familyName_ = familyName;
        emSize_ = emSize;
        startColor_ = startColor;
        endColor_ = endColor;
    }
    valid_ = false; // until this draw has finished

    // The path exactly as DrawGlowTextWith builds it.
    GraphicsPath path(FillModeAlternate);
    Check(path.GetLastStatus());
    AddGlowText(path, text, family, familyName, emSize, image_.Width(), image_.Dpi());
    std::vector<std::uint32_t> figures = FiguresOf(path);

    // An empty path goes the literal way, which decides what drawing nothing means.
    if (!(sameStyle && !figures.empty() && DrawChangedColumns(figures))) {
        std::fill_n(image_.MutablePixels(), image_.Width() * image_.Height(), 0u);
        DrawGlowTextWith(image_, text, family, familyName, emSize, startColor, endColor);
        changed_ = {0, image_.Width()};
        ++counters_.whole;
    }
    text_ = text;
    figures_ = std::move(figures);
    valid_ = true;
}

std::vector<std::uint32_t> GlowCanvas::FiguresOf(const Gdiplus::GraphicsPath& path) {
    using namespace Gdiplus;
    std::vector<std::uint32_t> figures;
    const INT count = path.GetPointCount();
    if (count <= 0)
        return figures;
    PathData data;
    Check(path.GetPathData(&data));
    for (INT first = 0; first < data.Count;) {
        INT end = first + 1;
        while (end < data.Count && (data.Types[end] & PathPointTypePathTypeMask) != PathPointTypeStart)
            ++end;
        const int n = end - first;
        std::string bytes(reinterpret_cast<const char*>(data.Points + first), sizeof(PointF) * n);
        bytes.append(reinterpret_cast<const char*>(data.Types + first), n);
        auto [it, added] = figureIds_.try_emplace(std::move(bytes), static_cast<std::uint32_t>(figureTable_.size()));
        if (added) {
            Figure figure;
            figure.data = &it->first;
            figure.count = n;
            figure.minX = figure.maxX = data.Points[first].X;
            for (INT i = first; i < end; ++i) {
                figure.minX = std::min(figure.minX, data.Points[i].X);
                figure.maxX = std::max(figure.maxX, data.Points[i].X);
            }
            figureTable_.push_back(figure);
        }
        figures.push_back(it->second);
        first = end;
    }
    return figures;
}

// The columns a figure touches, seen by drawing it alone, opaque, with the
// widest pens the glow uses: the mitred outline (whose corners can reach
// further than the halo) and the widest round halo. Thinner strokes and the
// fills lie inside what these two cover.
void GlowCanvas::MeasureReach(const std::vector<std::uint32_t>& figures) {
    using namespace Gdiplus;
    if (figures.empty())
        return;
    const int width = image_.Width(), height = image_.Height();
    const REAL scale = static_cast<REAL>(image_.Dpi()) / 96;
    scratch_.assign(static_cast<size_t>(width) * height, 0u);
    Bitmap canvas(width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(scratch_.data()));
    Check(canvas.GetLastStatus());
    Graphics graphics(&canvas);
    Check(graphics.GetLastStatus());
    Check(graphics.SetSmoothingMode(SmoothingModeAntiAlias));
    Check(graphics.SetPageUnit(UnitPixel));
    Pen outline(Color(0xFFFFFFFF), kGlowOutlineWidth * scale);
    Check(outline.GetLastStatus());
    Pen halo(Color(0xFFFFFFFF), static_cast<REAL>(kGlowWidestHalo) * scale);
    Check(halo.GetLastStatus());
    Check(halo.SetLineJoin(LineJoinRound));
    SolidBrush fill(Color(0xFFFFFFFF));
    Check(fill.GetLastStatus());
    // No stroke reaches further from its figure's points than the longest
    // mitre the outline pen allows, or half the halo's width.
    const REAL farthest = (outline.GetMiterLimit() * kGlowOutlineWidth + kGlowWidestHalo) * scale + 4;
    std::vector<char> touched(width);
    for (std::uint32_t id : figures) {
        Figure& figure = figureTable_[id];
        figure.left = figure.right = 0;
        if (figure.maxX + farthest < 0 || figure.minX - farthest > width) {
            figure.measured = true;
            continue;
        }
        Check(graphics.Clear(Color(0)));
        GraphicsPath path(figure.Points(), figure.Types(), figure.count, FillModeAlternate);
        Check(path.GetLastStatus());
        Check(graphics.DrawPath(&outline, &path));
        Check(graphics.DrawPath(&halo, &path));
        Check(graphics.FillPath(&fill, &path));
        graphics.Flush(FlushIntentionSync);
        std::fill(touched.begin(), touched.end(), 0);
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* row = scratch_.data() + static_cast<size_t>(y) * width;
            for (int x = 0; x < width; ++x)
                touched[x] |= row[x] != 0;
        }
        int first = 0, last = width - 1;
        while (first < width && !touched[first])
            ++first;
        while (last >= 0 && !touched[last])
            --last;
        if (first <= last) {
            figure.left = std::max(0, first - kReachMargin);
            figure.right = std::min(width, last + 1 + kReachMargin);
        }
        figure.measured = true;
    }
}

GlowCanvas::Columns GlowCanvas::ColumnsOf(const std::vector<std::uint32_t>& figures) const {
    const int width = image_.Width();
    Columns columns;
    columns.start.assign(width + 1, 0);
    for (std::uint32_t id : figures) {
        const Figure& figure = figureTable_[id];
        for (int x = figure.left; x < figure.right; ++x)
            ++columns.start[x + 1];
    }
    for (int x = 0; x < width; ++x)
        columns.start[x + 1] += columns.start[x];
    columns.ids.resize(columns.start[width]);
    std::vector<int> next(columns.start.begin(), columns.start.end() - 1);
    for (std::uint32_t id : figures) {
        const Figure& figure = figureTable_[id];
        for (int x = figure.left; x < figure.right; ++x)
            columns.ids[next[x]++] = id;
    }
    return columns;
}

bool GlowCanvas::DrawChangedColumns(const std::vector<std::uint32_t>& figures) {
    std::vector<std::uint32_t> unmeasured;
    for (const std::vector<std::uint32_t>* list : {&std::as_const(figures_), &figures})
        for (std::uint32_t id : *list)
            if (!figureTable_[id].measured && std::find(unmeasured.begin(), unmeasured.end(), id) == unmeasured.end())
                unmeasured.push_back(id);
    if (unmeasured.size() > kMaxMeasuredPerDraw)
        return false;
    MeasureReach(unmeasured);

    const int width = image_.Width(), height = image_.Height();
    const Columns before = ColumnsOf(figures_), after = ColumnsOf(figures);
    struct Run {
        int left, right;
        std::vector<std::uint32_t> figures; // those reaching into the run, in path order
        std::string key;
        std::list<Strip>::iterator strip;
        bool cached;
    };
    std::vector<Run> runs;
    for (int x = 0; x < width;) {
        if (before.Same(after, x)) {
            ++x;
            continue;
        }
        Run run{x, x, {}, {}, {}, false};
        while (run.right < width && !before.Same(after, run.right))
            ++run.right;
        x = run.right;
        Append(run.key, static_cast<std::uint32_t>(run.left));
        Append(run.key, static_cast<std::uint32_t>(run.right));
        for (std::uint32_t id : figures) {
            const Figure& figure = figureTable_[id];
            if (figure.left < run.right && run.left < figure.right) {
                run.figures.push_back(id);
                Append(run.key, id);
            }
        }
        auto found = stripIndex_.find(run.key);
        run.cached = found != stripIndex_.end();
        if (run.cached)
            run.strip = found->second;
        runs.push_back(std::move(run));
    }

    // Strips not in the cache are drawn from their figures; when that would
    // be most of the path, the whole image is drawn instead.
    std::vector<char> redrawn(figureTable_.size(), 0);
    size_t toDraw = 0;
    for (const Run& run : runs)
        if (!run.cached)
            for (std::uint32_t id : run.figures)
                toDraw += !std::exchange(redrawn[id], 1);
    if (toDraw * 4 > figures.size() * 3)
        return false;

    if (!runs.empty())
        changed_ = {runs.front().left, runs.back().right};
    // Cached strips first: storing the drawn ones may push others out.
    std::uint32_t* pixels = image_.MutablePixels();
    for (Run& run : runs) {
        if (!run.cached)
            continue;
        const int columns = run.right - run.left;
        strips_.splice(strips_.begin(), strips_, run.strip);
        const std::uint32_t* strip = run.strip->pixels.data();
        for (int y = 0; y < height; ++y)
            std::memcpy(pixels + static_cast<size_t>(y) * width + run.left, strip + static_cast<size_t>(y) * columns,
                        sizeof(std::uint32_t) * columns);
        ++counters_.stripsReused;
    }
    for (Run& run : runs) {
        if (run.cached)
            continue;
        const int columns = run.right - run.left;
        DrawFigures(run.figures, run.left, run.right);
        ++counters_.stripsDrawn;
        Strip strip{std::move(run.key), std::vector<std::uint32_t>(static_cast<size_t>(columns) * height)};
        for (int y = 0; y < height; ++y)
            std::memcpy(strip.pixels.data() + static_cast<size_t>(y) * columns,
                        pixels + static_cast<size_t>(y) * width + run.left, sizeof(std::uint32_t) * columns);
        stripBytes_ += strip.pixels.size() * sizeof(std::uint32_t);
        strips_.push_front(std::move(strip));
        stripIndex_[strips_.front().key] = strips_.begin();
        while (stripBytes_ > StripBudget() && strips_.size() > 1) {
            stripBytes_ -= strips_.back().pixels.size() * sizeof(std::uint32_t);
            stripIndex_.erase(strips_.back().key);
            strips_.pop_back();
        }
    }
    return true;
}

// DrawGlowTextWith's drawing, of some figures only and clipped to the columns
// [left, right), which are cleared first: on those columns the pixels are the
// same as those of the whole path drawn on a cleared image.
void GlowCanvas::DrawFigures(const std::vector<std::uint32_t>& figures, int left, int right) {
    using namespace Gdiplus;
    const int width = image_.Width(), height = image_.Height();
    std::uint32_t* pixels = image_.MutablePixels();
    for (int y = 0; y < height; ++y)
        std::fill(pixels + static_cast<size_t>(y) * width + left, pixels + static_cast<size_t>(y) * width + right, 0u);
    std::vector<PointF> points;
    std::vector<BYTE> types;
    for (std::uint32_t id : figures) {
        const Figure& figure = figureTable_[id];
        points.insert(points.end(), figure.Points(), figure.Points() + figure.count);
        types.insert(types.end(), figure.Types(), figure.Types() + figure.count);
    }
    if (points.empty())
        return;

    GraphicsPath path(points.data(), types.data(), static_cast<INT>(points.size()), FillModeAlternate);
    Check(path.GetLastStatus());

    PaintGlowPath(image_, path, startColor_, endColor_, left, right);
}

} // namespace vemora
