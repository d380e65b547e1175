// The coverage matrix as SVG: a grid in whole user units, so that every
// coordinate is an integer the writer counted, never a value of the tables.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tables/analysis/BandChart.h"
#include "tables/analysis/CoverageMatrixOutput.h"

namespace {

constexpr long kMargin = 10;
constexpr long kTitleY = 24;
constexpr long kHeaderTop = 36;
constexpr long kRowHeight = 20;
constexpr long kTextDrop = 14; // from a row's top to its text's baseline
constexpr long kCharWidth = 7; // at font size 11, a little more than a digit
constexpr long kCellPadding = 12;
constexpr long kCountryWidth = 64;
constexpr long kChannelsWidth = 72;
constexpr long kShortestTunerWidth = 44;
constexpr long kFooterGap = 22;

struct Rgb
{
    int r, g, b;
};

// None is green; a warning runs from a pale red to a deep one.
constexpr Rgb kNoneFill = {214, 240, 214};
constexpr Rgb kPaper = {255, 255, 255};
constexpr Rgb kManyFill = {200, 30, 30};

std::string Colour(const Rgb& colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.r, colour.g, colour.b);
    return text;
}

Rgb HeatColour(double heat)
{
    if (heat <= 0.0)
        return kNoneFill;
    const double h = std::min(1.0, heat);
    const auto mix = [h](int paper, int many) { return static_cast<int>(std::lround(paper + (many - paper) * h)); };
    return {mix(kPaper.r, kManyFill.r), mix(kPaper.g, kManyFill.g), mix(kPaper.b, kManyFill.b)};
}

// The columns a name takes: its UTF-8 characters.
long CharactersOf(const std::string& text)
{
    return static_cast<long>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Number(long value)
{
    return std::to_string(value);
}

class MatrixSvgWriter
{
public:
    explicit MatrixSvgWriter(const NamedCoverageMatrix& matrix) : m_matrix(matrix)
    {
        long nameChars = CharactersOf("table");
        for (const CoverageMatrixTable& table : matrix.tables)
            nameChars = std::max(nameChars, CharactersOf(table.name));
        m_nameWidth = nameChars * kCharWidth + kCellPadding;
        long x = kMargin + m_nameWidth + kCountryWidth + kChannelsWidth;
        for (const CoverageMatrixTuner& tuner : matrix.tuners) {
            m_tunerLeft.push_back(x);
            x += std::max(kShortestTunerWidth, CharactersOf(tuner.codes) * kCharWidth + kCellPadding);
        }
        m_width = x + kMargin;
    }

    std::string Write(const std::string& title)
    {
        const long rowsTop = kHeaderTop + kRowHeight;
        const long footerY = rowsTop + static_cast<long>(m_matrix.tables.size()) * kRowHeight + kFooterGap;
        const long height = footerY + kMargin;
        m_out.reserve(256 + m_matrix.tables.size() * (m_matrix.tuners.size() + 1) * 160);
        m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                 Number(m_width) + "\" height=\"" + Number(height) + "\" viewBox=\"0 0 " + Number(m_width) + " " +
                 Number(height) + "\" font-family=\"sans-serif\" font-size=\"11\">\n";
        m_out += "<title>" + XmlEscaped(title) + "</title>\n";
        m_out += "<rect x=\"0\" y=\"0\" width=\"" + Number(m_width) + "\" height=\"" + Number(height) +
                 "\" fill=\"#ffffff\"/>\n";
        Text(kMargin, kTitleY, XmlEscaped(title), " font-size=\"14\"");
        WriteHeader(kHeaderTop);
        for (std::size_t t = 0; t < m_matrix.tables.size(); ++t)
            WriteRow(t, rowsTop + static_cast<long>(t) * kRowHeight);
        Text(kMargin, footerY, "tuners tuning every table: " + XmlEscaped(CoveringText()), "");
        m_out += "</svg>\n";
        return std::move(m_out);
    }

private:
    void Text(long x, long y, const std::string& escaped, const char* extra, const char* anchor = nullptr)
    {
        m_out += "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\"";
        if (anchor)
            m_out += std::string(" text-anchor=\"") + anchor + "\"";
        m_out += std::string(extra) + ">" + escaped + "</text>\n";
    }

    void WriteHeader(long top)
    {
        const long baseline = top + kTextDrop;
        const long countryRight = CountryRight();
        Text(kMargin, baseline, "table", " font-weight=\"bold\"");
        Text(countryRight, baseline, "country", " font-weight=\"bold\"", "end");
        Text(countryRight + kChannelsWidth, baseline, "channels", " font-weight=\"bold\"", "end");
        for (std::size_t u = 0; u < m_matrix.tuners.size(); ++u)
            Text(CellCentre(u), baseline, XmlEscaped(m_matrix.tuners[u].codes), " font-weight=\"bold\"", "middle");
    }

    void WriteRow(std::size_t t, long top)
    {
        const CoverageMatrixTable& table = m_matrix.tables[t];
        const std::string name = XmlEscaped(table.name);
        const long baseline = top + kTextDrop;
        const long countryRight = CountryRight();
        Text(kMargin, baseline, name, "");
        Text(countryRight, baseline, Number(table.iCountry), "", "end");
        Text(countryRight + kChannelsWidth, baseline, std::to_string(table.channels), "", "end");
        for (std::size_t u = 0; u < m_matrix.tuners.size(); ++u) {
            const std::size_t outside = m_matrix.counts.Outside(t, u);
            const double heat = CoverageMatrixHeat(outside, table.channels);
            const std::string count = std::to_string(outside);
            m_out += "<rect x=\"" + Number(m_tunerLeft[u]) + "\" y=\"" + Number(top) + "\" width=\"" +
                     Number(CellRight(u) - m_tunerLeft[u] - 1) + "\" height=\"" + Number(kRowHeight - 1) +
                     "\" fill=\"" + Colour(HeatColour(heat)) + "\"><title>" + name + ", " +
                     XmlEscaped(m_matrix.tuners[u].codes) + ": " + count + " outside</title></rect>\n";
            Text(CellCentre(u), baseline, count, heat > 0.7 ? " fill=\"#ffffff\"" : "", "middle");
        }
    }

    // The numbers of the country and channels columns end a little before their column does.
    long CountryRight() const { return kMargin + m_nameWidth + kCountryWidth - kCellPadding / 2; }
    long CellRight(std::size_t u) const { return u + 1 < m_tunerLeft.size() ? m_tunerLeft[u + 1] : m_width - kMargin; }
    long CellCentre(std::size_t u) const { return (m_tunerLeft[u] + CellRight(u)) / 2; }

    std::string CoveringText() const
    {
        std::string covering;
        for (std::size_t u = 0; u < m_matrix.tuners.size(); ++u) {
            if (m_matrix.counts.TunerTunesEveryTable(u))
                covering += (covering.empty() ? "" : ", ") + m_matrix.tuners[u].codes;
        }
        return covering.empty() ? "none" : covering;
    }

    const NamedCoverageMatrix& m_matrix;
    long m_nameWidth = 0;
    std::vector<long> m_tunerLeft;
    long m_width = 0;
    std::string m_out;
};

} // namespace

std::string CoverageMatrixSvg(const NamedCoverageMatrix& matrix, const std::string& title)
{
    return MatrixSvgWriter(matrix).Write(title);
}
