// The drawing lines of the background and the painted readme pages: one line after another, each a
// keyword, a comma and arguments ("rect,%10,%10,%90,%90", "gradation,0,0,128,0,0,255"), or "|" and
// a string. The core reads the lines and works out every rectangle and colour; a Canvas draws.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap_file.h"
#include "dpi_scale.h"
#include "system.h"

namespace setup {

struct Colour {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Colour&) const = default;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// The words of a "mode" line; any other word selects the area mode.
enum class PaintMode { Point, Left, Top, Right, Bottom, Center, Rect, Area };
PaintMode ModeFromWord(std::wstring_view word);

// The fields of a LOGFONT, in the order a "font" line gives them. Fields no line has set yet
// describe the system's choice of font (the default character set, so Japanese text finds glyphs).
struct FontDescription {
    int height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
    uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 1, outPrecision = 0, clipPrecision = 0, quality = 0,
            pitchAndFamily = 0;
    std::wstring face;
    bool operator==(const FontDescription&) const = default;
};

constexpr size_t kLineChars = 259;  // a line as its 260-character buffer holds it
constexpr size_t kFaceChars = 31;   // a face name as LOGFONT holds it
constexpr int kDefaultGradientSteps = 64;
// More bands than pixels only cost time: an absurd count is held to this.
constexpr int kMaxGradientSteps = 65536;
constexpr size_t kMaxTextFileBytes = 1u << 20;

// A line's keyword (the text before its first comma) and the rest; none without a comma.
struct KeywordLine {
    std::wstring_view keyword, rest;
};
std::optional<KeywordLine> SplitKeyword(std::wstring_view line);
// "page," + anything: ends a script, and marks where a readme page begins.
bool IsPageMarker(std::wstring_view line);

// The comma-separated fields of `rest`, at most `count`: the last one keeps any further commas.
std::vector<std::wstring_view> Fields(std::wstring_view rest, size_t count);
// A decimal integer read up to the first character that is not part of it (leading blanks
// skipped); none for an empty field.
std::optional<int> NumberField(std::wstring_view field);
// A number, a length at 96 dpi scaled to `dpi`; or "%" and a percentage (fractions allowed) of
// `whole`, truncated toward zero (the whole is already the window's own).
std::optional<int> ExtentField(std::wstring_view field, int whole, int dpi = kDesignDpi);

// Band k (0 ... steps - 1) of a gradient over `r` in the left, top, right, bottom and center
// modes; none in the others, which define no bands.
std::optional<Rect> GradientBand(PaintMode mode, const Rect& r, int k, int steps);
// c1 + k * (c2 - c1) / steps per channel, kept to its low 8 bits.
Colour GradientColour(const int (&from)[3], const int (&to)[3], int k, int steps);

// Where a bitmap is copied, each copy `size` large (the bitmap's own size scaled from 96 dpi to the
// window's): `columns` x `rows` copies side by side from `first`, or stretched into `first`; and
// the current rectangle afterwards.
struct BitmapPlacement {
    Rect first;
    int columns = 1, rows = 1;
    bool stretch = false;
    Rect current;
    Size size;
    bool operator==(const BitmapPlacement&) const = default;
};
BitmapPlacement PlaceBitmap(PaintMode mode, Size size, const Rect& current, const Rect& area);

// Where a measured text goes in the right and bottom modes, and the current rectangle after it
// (the next item continues to its right, or below it); none in the other modes.
struct TextPlacement {
    Rect text;
    Rect current;
};
std::optional<TextPlacement> PlaceText(PaintMode mode, Size measured, const Rect& current);

// What the lines draw on: a device context with an off-screen bitmap, or a test's record.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void Fill(const Rect& r, Colour colour) = 0;
    virtual void SetTextColour(Colour colour) = 0;
    // Makes the font and selects it in place of the one the lines made before.
    virtual void UseFont(const FontDescription& font) = 0;
    // The cell height the system gives a font of this description whose height is 0 (its default
    // size, which does not grow with the resolution).
    virtual int DefaultFontHeight(const FontDescription& font) = 0;
    // The file's bytes; none when it cannot be opened or is larger than `limit`.
    virtual std::optional<std::string> ReadFile(const std::wstring& path, size_t limit) = 0;
    // A text file's bytes (the ANSI code page) as text.
    virtual std::wstring TextOfFile(const std::string& bytes) = 0;
    // Plays an enhanced metafile into `r`; false when it cannot be loaded.
    virtual bool PlayMetafile(const std::wstring& path, const Rect& r) = 0;
    virtual void DrawBitmap(const BitmapFile& bitmap, const BitmapPlacement& placement) = 0;
    // Left and top aligned; on one line, or on as many as the text's line breaks make.
    virtual Size MeasureText(const std::wstring& text, bool singleLine) = 0;
    virtual void PutText(const std::wstring& text, const Rect& r, bool singleLine, bool clip) = 0;
};

// One run over the lines with its mode, current rectangle, colour and font. Files are tried as
// ResolvePath(file, base, plain) and then as written. The lines are written for 96 dpi: at `dpi`
// their coordinates, font heights and widths and bitmap sizes are scaled (percentages are of the
// area, which is the window's own), so that a picture looks the same, only larger.
class PaintScript {
public:
    PaintScript(Canvas& canvas, const Rect& area, std::wstring base, System& system, int dpi = kDesignDpi);

    // From lines[first] up to the end or to a "page" line.
    void Run(const std::vector<std::wstring>& lines, size_t first = 0);
    // False for a "page" line, which ends the script.
    bool RunLine(std::wstring_view line);

    PaintMode mode() const { return mode_; }
    const Rect& current() const { return current_; }
    Colour colour() const { return colour_; }
    const FontDescription& font() const { return font_; }

private:
    void Fill(std::wstring_view args);
    void Gradation(std::wstring_view args);
    void SetFont(std::wstring_view args);
    void MakeFont();
    void Metafile(std::wstring_view file);
    void Bitmap(std::wstring_view file);
    void Text(const std::wstring& text, bool singleLine);
    std::vector<std::wstring> Candidates(std::wstring_view file);
    int Width() const { return area_.right - area_.left; }
    int Height() const { return area_.bottom - area_.top; }

    Canvas& canvas_;
    Rect area_;
    std::wstring base_;
    System& system_;
    int dpi_;
    PaintMode mode_ = PaintMode::Point;
    Rect current_;
    Colour colour_;
    FontDescription font_;
};

}  // namespace setup
