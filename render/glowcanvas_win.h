#pragma once
#include "render/glow_win.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vemora {

// A glow image kept from one draw to the next. Every draw leaves exactly the
// pixels DrawGlowTextWith draws on a cleared image, but does only the work
// whose result changed since the last draw:
//  - the same text in the same style draws nothing;
//  - otherwise the text's path is split into its figures (the closed outlines
//    of its glyphs, at their places), and each column of the image depends
//    only on the figures whose strokes reach it. The columns whose set of
//    figures changed are taken from a cache of column strips drawn before, or
//    drawn again from those figures alone, clipped to those columns.
// A clock's text changes one or two glyphs a second and, after its first
// minute, its seconds come back with the same figures at the same places.
class GlowCanvas {
public:
    explicit GlowCanvas(int dpi = 96);
    GlowCanvas(int dpi, int width, int height); // an image of that size
    ~GlowCanvas();
    GlowCanvas(const GlowCanvas&) = delete;
    GlowCanvas& operator=(const GlowCanvas&) = delete;

    // DrawGlowTextWith's arguments; throws what it throws. After a throw the
    // image is undefined and the next draw starts afresh.
    void Draw(const std::wstring& text, const Gdiplus::FontFamily& family, const std::wstring& familyName, int emSize,
              Argb startColor, Argb endColor);
    const GlowImage& Image() const { return image_; }
    // The columns [left, right) that the last draw changed; none when left == right.
    struct ColumnSpan {
        int left = 0, right = 0;
    };
    ColumnSpan Changed() const { return changed_; }

    // What the draws did, for the benchmark and the tests.
    struct Counters {
        int unchanged = 0;    // same text and style: nothing drawn
        int whole = 0;        // drawn whole with DrawGlowTextWith
        int stripsReused = 0; // column strips taken from the cache
        int stripsDrawn = 0;  // column strips drawn from their figures
    };
    const Counters& Count() const { return counters_; }

private:
    struct Figure;
    struct Columns;

    bool DrawChangedColumns(const std::vector<std::uint32_t>& figures);
    std::vector<std::uint32_t> FiguresOf(const Gdiplus::GraphicsPath& path);
    void MeasureReach(const std::vector<std::uint32_t>& figures);
    Columns ColumnsOf(const std::vector<std::uint32_t>& figures) const;
    void DrawFigures(const std::vector<std::uint32_t>& figures, int left, int right);
    void Forget();
    std::size_t StripBudget() const; // bytes of strips kept at most

    GlowImage image_;
    // The style of the image; a draw in another style starts afresh.
    bool valid_ = false;
    std::wstring familyName_;
    int emSize_ = 0;
    Argb startColor_ = 0, endColor_ = 0;
    std::wstring text_;
    std::vector<std::uint32_t> figures_; // the image's figures, in path order
    ColumnSpan changed_;

    std::unordered_map<std::string, std::uint32_t> figureIds_; // figure data -> index into figureTable_
    std::vector<Figure> figureTable_;

    struct Strip {
        std::string key;
        std::vector<std::uint32_t> pixels;
    };
    std::list<Strip> strips_; // most recently used first
    std::unordered_map<std::string, std::list<Strip>::iterator> stripIndex_;
    std::size_t stripBytes_ = 0;

    std::vector<std::uint32_t> scratch_;
    Counters counters_;
};

} // namespace vemora
