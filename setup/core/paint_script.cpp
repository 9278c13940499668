#include "paint_script.h"

#include <algorithm>

#include "case_fold.h"
#include "paths.h"

namespace setup {

namespace {

int Clamped(long long value) { return static_cast<int>(std::clamp<long long>(value, -0x7fffffffLL - 1, 0x7fffffffLL)); }

std::wstring_view WithoutLeadingBlanks(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    return text;
}

uint8_t LowByte(long long value) { return static_cast<uint8_t>(value & 0xff); }

// "%" has been read: a percentage with an optional fraction, of `whole`, truncated toward zero.
int Percentage(std::wstring_view text, int whole) {
    constexpr long long kMaxPercent = 10'000'000;  // far beyond any useful value; keeps the product exact
    constexpr int kFractionDigits = 4;
    constexpr long long kScale = 10'000;  // 10 ^ kFractionDigits
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long units = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        units = std::min(units * 10 + (text[i] - L'0'), kMaxPercent);
    long long fraction = 0;
    int digits = 0;
    if (i < text.size() && text[i] == L'.') {
        for (++i; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
            if (digits < kFractionDigits) fraction = fraction * 10 + (text[i] - L'0'), ++digits;
    }
    for (; digits < kFractionDigits; ++digits) fraction *= 10;
    const long long scaled = (units * kScale + fraction) * (negative ? -1 : 1);
    const long long base = std::clamp<long long>(whole, -(1LL << 24), 1LL << 24);  // no screen is larger
    return Clamped(base * scaled / (100 * kScale));
}

}  // namespace

PaintMode ModeFromWord(std::wstring_view word) {
    static const struct {
        const wchar_t* word;
        PaintMode mode;
    } kModes[] = {{L"point", PaintMode::Point}, {L"left", PaintMode::Left},     {L"top", PaintMode::Top},
                  {L"right", PaintMode::Right}, {L"bottom", PaintMode::Bottom}, {L"center", PaintMode::Center},
                  {L"rect", PaintMode::Rect}};
    for (const auto& m : kModes)
        if (EqualNoCase(word, m.word)) return m.mode;
    return PaintMode::Area;
}

std::optional<KeywordLine> SplitKeyword(std::wstring_view line) {
    const size_t comma = line.find(L',');
    if (comma == std::wstring_view::npos) return std::nullopt;
    return KeywordLine{line.substr(0, comma), line.substr(comma + 1)};
}

bool IsPageMarker(std::wstring_view line) {
    const auto split = SplitKeyword(line);
    return split && EqualNoCase(split->keyword, L"page");
}

std::vector<std::wstring_view> Fields(std::wstring_view rest, size_t count) {
    std::vector<std::wstring_view> fields;
    while (fields.size() + 1 < count) {
        const size_t comma = rest.find(L',');
        if (comma == std::wstring_view::npos) break;
        fields.push_back(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }
    fields.push_back(rest);
    return fields;
}

std::optional<int> NumberField(std::wstring_view field) {
    field = WithoutLeadingBlanks(field);
    if (field.empty()) return std::nullopt;
    return Clamped(LeadingInt(field));
}

std::optional<int> ExtentField(std::wstring_view field, int whole, int dpi) {
    field = WithoutLeadingBlanks(field);
    if (field.empty()) return std::nullopt;
    if (field.front() == L'%') return Percentage(field.substr(1), whole);
    return ScaleToDpi(*NumberField(field), dpi);
}

std::optional<Rect> GradientBand(PaintMode mode, const Rect& r, int k, int steps) {
    const long long w = static_cast<long long>(r.right) - r.left, h = static_cast<long long>(r.bottom) - r.top;
    const auto part = [&](long long whole, int of) { return whole * of / steps; };
    switch (mode) {
    case PaintMode::Left:
        return Rect{Clamped(r.left + part(w, k)), r.top, Clamped(r.left + part(w, k + 1)), r.bottom};
    case PaintMode::Top:
        return Rect{r.left, Clamped(r.top + part(h, k)), r.right, Clamped(r.top + part(h, k + 1))};
    case PaintMode::Right:
        return Rect{Clamped(r.right - part(w, k + 1)), r.top, Clamped(r.right - part(w, k)), r.bottom};
    case PaintMode::Bottom:
        return Rect{r.left, Clamped(r.bottom - part(h, k + 1)), r.right, Clamped(r.bottom - part(h, k))};
    case PaintMode::Center: {
        const long long x = part(w, k) / 2, y = part(h, k) / 2;
        return Rect{Clamped(r.left + x), Clamped(r.top + y), Clamped(r.right - x), Clamped(r.bottom - y)};
    }
    default:
        return std::nullopt;
    }
}

Colour GradientColour(const int (&from)[3], const int (&to)[3], int k, int steps) {
    const auto channel = [&](int i) {
        return LowByte(from[i] + static_cast<long long>(k) * (static_cast<long long>(to[i]) - from[i]) / steps);
    };
    return Colour{channel(0), channel(1), channel(2)};
}

BitmapPlacement PlaceBitmap(PaintMode mode, Size size, const Rect& current, const Rect& area) {
    const int w = size.width, h = size.height;
    const long long W = static_cast<long long>(area.right) - area.left,
                    H = static_cast<long long>(area.bottom) - area.top;
    const auto at = [&](long long x, long long y) {
        return Rect{Clamped(x), Clamped(y), Clamped(x + w), Clamped(y + h)};
    };
    // Copies one bitmap apart from the start while they begin inside the area's extent.
    const auto count = [](long long extent, int step) { return Clamped(extent > 0 ? (extent + step - 1) / step : 0); };
    const int x0 = area.left, y0 = area.top;
    BitmapPlacement p;
    p.size = size;
    if (w <= 0 || h <= 0) {
        p.columns = p.rows = 0;
        p.current = current;
        return p;
    }
    switch (mode) {
    case PaintMode::Point:
        p.first = at(current.left, current.top);
        p.current = Rect{0, 0, w, h};
        break;
    case PaintMode::Left:
        p.first = at(x0, y0);
        p.rows = count(H, h);
        p.current = Rect{x0, y0, Clamped(x0 + w), area.bottom};
        break;
    case PaintMode::Top:
        p.first = at(x0, y0);
        p.columns = count(W, w);
        p.current = Rect{x0, y0, area.right, Clamped(y0 + h)};
        break;
    case PaintMode::Right:
        p.first = at(area.right - static_cast<long long>(w), y0);
        p.rows = count(H, h);
        p.current = Rect{p.first.left, y0, area.right, area.bottom};
        break;
    case PaintMode::Bottom:
        p.first = at(x0, area.bottom - static_cast<long long>(h));
        p.columns = count(W, w);
        p.current = Rect{x0, p.first.top, area.right, area.bottom};
        break;
    case PaintMode::Center:
        p.first = at(x0 + (W - w) / 2, y0 + (H - h) / 2);
        p.current = p.first;
        break;
    case PaintMode::Rect:
        p.first = current;
        p.stretch = true;
        p.current = current;
        break;
    case PaintMode::Area:
        p.first = at(x0, y0);
        p.columns = count(W, w);
        p.rows = count(H, h);
        p.current = area;
        break;
    }
    return p;
}

std::optional<TextPlacement> PlaceText(PaintMode mode, Size measured, const Rect& current) {
    if (mode != PaintMode::Right && mode != PaintMode::Bottom) return std::nullopt;
    const Rect text{current.left, current.top, Clamped(static_cast<long long>(current.left) + measured.width),
                    Clamped(static_cast<long long>(current.top) + measured.height)};
    if (mode == PaintMode::Right) return TextPlacement{text, Rect{text.right, text.top, text.right, text.bottom}};
    return TextPlacement{text, Rect{text.left, text.bottom, text.right, text.bottom}};
}

PaintScript::PaintScript(Canvas& canvas, const Rect& area, std::wstring base, System& system, int dpi)
    : canvas_(canvas), area_(area), base_(std::move(base)), system_(system), dpi_(dpi) {}

void PaintScript::Run(const std::vector<std::wstring>& lines, size_t first) {
    for (size_t i = first; i < lines.size(); ++i)
        if (!RunLine(lines[i])) return;
}

bool PaintScript::RunLine(std::wstring_view line) {
    line = line.substr(0, kLineChars);
    if (!line.empty() && line.front() == L'|') {
        Text(std::wstring(line.substr(1)), true);
        return true;
    }
    const auto split = SplitKeyword(line);
    if (!split) return true;
    const std::wstring_view keyword = split->keyword, args = split->rest;
    if (EqualNoCase(keyword, L"page")) return false;
    if (EqualNoCase(keyword, L"mode")) {
        mode_ = ModeFromWord(Fields(args, 2)[0]);
    } else if (EqualNoCase(keyword, L"rect")) {
        const auto f = Fields(args, 5);
        int* const sides[] = {&current_.left, &current_.top, &current_.right, &current_.bottom};
        for (size_t i = 0; i < 4 && i < f.size(); ++i)
            if (const auto v = ExtentField(f[i], i % 2 == 0 ? Width() : Height(), dpi_)) *sides[i] = *v;
    } else if (EqualNoCase(keyword, L"fill")) {
        Fill(args);
    } else if (EqualNoCase(keyword, L"gradation")) {
        Gradation(args);
    } else if (EqualNoCase(keyword, L"height")) {
        if (const auto v = ExtentField(Fields(args, 2)[0], Height(), dpi_)) font_.height = *v;
        font_.width = 0;
        MakeFont();
    } else if (EqualNoCase(keyword, L"font")) {
        SetFont(args);
    } else if (EqualNoCase(keyword, L"meta")) {
        Metafile(args);
    } else if (EqualNoCase(keyword, L"bitmap")) {
        Bitmap(args);
    } else if (EqualNoCase(keyword, L"text")) {
        if (mode_ != PaintMode::Rect && mode_ != PaintMode::Right && mode_ != PaintMode::Bottom) return true;
        for (const std::wstring& path : Candidates(args)) {
            if (const auto bytes = canvas_.ReadFile(path, kMaxTextFileBytes)) {
                Text(canvas_.TextOfFile(*bytes), false);
                break;
            }
        }
    } else if (EqualNoCase(keyword, L"string")) {
        Text(std::wstring(args), true);
    }
    return true;
}

void PaintScript::Fill(std::wstring_view args) {
    const auto f = Fields(args, 4);
    uint8_t* const channels[] = {&colour_.red, &colour_.green, &colour_.blue};
    for (size_t i = 0; i < 3 && i < f.size(); ++i)
        if (const auto v = NumberField(f[i])) *channels[i] = LowByte(*v);
    if (mode_ == PaintMode::Rect)
        canvas_.Fill(current_, colour_);
    else if (mode_ == PaintMode::Area)
        canvas_.Fill(area_, colour_);
}

void PaintScript::Gradation(std::wstring_view args) {
    const auto f = Fields(args, 8);
    const auto value = [&](size_t i, int fallback) {
        return i < f.size() ? NumberField(f[i]).value_or(fallback) : fallback;
    };
    const int from[3] = {value(0, 0), value(1, 0), value(2, 0)};
    const int to[3] = {value(3, 0), value(4, 0), value(5, 0)};
    const int steps = std::clamp(value(6, kDefaultGradientSteps), 2, kMaxGradientSteps);
    if (GradientBand(mode_, current_, 0, steps)) {
        for (int k = 0; k < steps; ++k)
            canvas_.Fill(*GradientBand(mode_, current_, k, steps), GradientColour(from, to, k, steps));
    }
    colour_ = Colour{LowByte(to[0]), LowByte(to[1]), LowByte(to[2])};
}

void PaintScript::SetFont(std::wstring_view args) {
    const auto f = Fields(args, 17);
    const auto given = [&](size_t i) { return i < f.size() ? NumberField(f[i]) : std::nullopt; };
    uint8_t* const channels[] = {&colour_.red, &colour_.green, &colour_.blue};
    for (size_t i = 0; i < 3; ++i)
        if (const auto v = given(i)) *channels[i] = LowByte(*v);
    canvas_.SetTextColour(colour_);

    if (f.size() > 3)
        if (const auto v = ExtentField(f[3], Height(), dpi_)) font_.height = *v;
    if (const auto v = given(4)) font_.width = ScaleToDpi(*v, dpi_);
    int* const numbers[] = {&font_.escapement, &font_.orientation, &font_.weight};
    for (size_t i = 0; i < 3; ++i)
        if (const auto v = given(5 + i)) *numbers[i] = *v;
    uint8_t* const bytes[] = {&font_.italic,       &font_.underline,     &font_.strikeOut, &font_.charSet,
                              &font_.outPrecision, &font_.clipPrecision, &font_.quality,   &font_.pitchAndFamily};
    for (size_t i = 0; i < 8; ++i)
        if (const auto v = given(8 + i)) *bytes[i] = LowByte(*v);
    if (f.size() > 16 && !f[16].empty()) font_.face = std::wstring(f[16].substr(0, kFaceChars));
    MakeFont();
}

// A font of the default size is as large as the system draws it at 96 dpi, scaled too.
void PaintScript::MakeFont() {
    FontDescription made = font_;
    if (made.height == 0 && dpi_ > 0 && dpi_ != kDesignDpi)
        made.height = ScaleToDpi(canvas_.DefaultFontHeight(made), dpi_);
    canvas_.UseFont(made);
}

void PaintScript::Metafile(std::wstring_view file) {
    if (mode_ != PaintMode::Rect && mode_ != PaintMode::Area) return;
    const Rect target = mode_ == PaintMode::Rect ? current_ : area_;
    for (const std::wstring& path : Candidates(file))
        if (canvas_.PlayMetafile(path, target)) return;
}

void PaintScript::Bitmap(std::wstring_view file) {
    for (const std::wstring& path : Candidates(file)) {
        const auto bytes = canvas_.ReadFile(path, kMaxBitmapFileBytes);
        if (!bytes) continue;
        // Opened but damaged: this line draws nothing.
        const auto bitmap = ReadBitmapFile(*bytes);
        if (!bitmap) return;
        const Size size{ScaleToDpi(bitmap->width, dpi_), ScaleToDpi(bitmap->height, dpi_)};
        const BitmapPlacement placement = PlaceBitmap(mode_, size, current_, area_);
        canvas_.DrawBitmap(*bitmap, placement);
        current_ = placement.current;
        return;
    }
}

void PaintScript::Text(const std::wstring& text, bool singleLine) {
    if (mode_ == PaintMode::Rect) {
        canvas_.PutText(text, current_, singleLine, true);
        return;
    }
    if (mode_ != PaintMode::Right && mode_ != PaintMode::Bottom) return;
    const auto placement = PlaceText(mode_, canvas_.MeasureText(text, singleLine), current_);
    canvas_.PutText(text, placement->text, singleLine, false);
    current_ = placement->current;
}

std::vector<std::wstring> PaintScript::Candidates(std::wstring_view file) {
    if (file.empty()) return {};
    std::vector<std::wstring> paths;
    const std::wstring written(file);
    if (auto resolved = ResolvePath(written, base_, PathMode::Plain, system_)) paths.push_back(std::move(*resolved));
    if (paths.empty() || paths.front() != written) paths.push_back(written);
    return paths;
}

}  // namespace setup
