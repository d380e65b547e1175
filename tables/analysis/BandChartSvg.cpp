// The band chart as SVG: one standalone document, written in one pass over
// the marks, so that two lists of 65,535 channels give a file of a few MB in
// a few milliseconds.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "tables/analysis/BandChart.h"

namespace {

// The rows of the drawing, top down, in SVG user units.
constexpr int kMargin = 60;
constexpr int kTitleY = 24;
constexpr int kBandTop = 40;
constexpr int kBandTextY = 54;
constexpr int kTunerTop = 62;
constexpr int kTunerHeight = 18;
constexpr int kLaneTop[2] = {96, 176};
constexpr int kLaneHeight = 56;
constexpr int kAxisY = 248;
constexpr int kLegendY = 290;
constexpr int kHeight = 310;
// A channel number is written above its mark only where this much room is
// left after the previous one, at about 6.5 units per character.
constexpr double kCharWidth = 6.5;

// The paint of each kind of element. The style sheet gives it by class, and
// each element carries it again as presentation attributes: renderers without
// CSS (ImageMagick's) paint those, and the style sheet, where it is read,
// gives the same.
const char* const kLaneColour[2] = {"#1f6fc5", "#1a8a4a"};
const char* const kRepeatedColour = "#d08700";
const char* const kUncoveredColour = "#d02020";
const char* const kBandFill = "#eef0f4";
const char* const kBandNameFill = "#555";
const char* const kTunerSpanFill = "#f2e3c4";
const char* const kTunerSpanStroke = "#b08030";
const char* const kGapFill = "#fbe9e9";
const char* const kGapWidthFill = "#a33";
const char* const kTickStroke = "#888";
const char* const kMarkWidth = "1.5";
const char* const kRepeatedMarkWidth = "3";
const char* const kUncoveredDashes = "3 2";

std::string Attribute(const char* name, const char* value)
{
    return std::string(" ") + name + "=\"" + value + "\"";
}

const std::string& TunerSpanPaint()
{
    static const std::string paint = Attribute("fill", kTunerSpanFill) + Attribute("stroke", kTunerSpanStroke);
    return paint;
}

// A mark's paint as the style sheet's rules give it: its lane's colour, or
// amber for a repeated frequency, red (and dashes) outside the tuner, which
// comes last and wins. There are eight, each made once.
const std::string& MarkPaint(const ChartMark& mark, std::int32_t iList)
{
    const auto paintOf = [](bool bUncovered, bool bRepeated, int list) {
        const char* stroke = bUncovered ? kUncoveredColour : bRepeated ? kRepeatedColour : kLaneColour[list];
        std::string paint =
            Attribute("stroke", stroke) + Attribute("stroke-width", bRepeated ? kRepeatedMarkWidth : kMarkWidth);
        if (bUncovered)
            paint += Attribute("stroke-dasharray", kUncoveredDashes);
        return paint;
    };
    static const std::string paints[2][2][2] = {
        {{paintOf(false, false, 0), paintOf(false, false, 1)}, {paintOf(false, true, 0), paintOf(false, true, 1)}},
        {{paintOf(true, false, 0), paintOf(true, false, 1)}, {paintOf(true, true, 0), paintOf(true, true, 1)}}};
    return paints[mark.bUncovered][mark.bRepeated][iList == 0 ? 0 : 1];
}

void AppendUtf8Replacement(std::string& out)
{
    out += "\xEF\xBF\xBD";
}

// The length of the UTF-8 sequence starting at text[i], 0 when it is not one.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i)
{
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters;
    // neither are U+FFFE and U+FFFF in XML.
    if (value < minimum || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF || value == 0xFFFE ||
        value == 0xFFFF)
        return 0;
    return length;
}

class SvgWriter
{
public:
    SvgWriter(const BandChart& chart, int iWidth)
        : m_chart(chart), m_width(std::max(iWidth, 2 * kMargin + 100)), m_plotWidth(m_width - 2 * kMargin)
    {
    }

    std::string Write(const std::string& title)
    {
        // About 190 bytes per mark.
        m_out.reserve(4096 + m_chart.MarkCount() * 200);
        m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        Append("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
               "font-family=\"sans-serif\" font-size=\"11\">\n",
               m_width, kHeight, m_width, kHeight);
        m_out += "<title>" + XmlEscaped(title) + "</title>\n";
        WriteStyle();
        Append("<rect class=\"background\" width=\"%d\" height=\"%d\" fill=\"#ffffff\"/>\n", m_width, kHeight);
        m_out += "<text class=\"title\" x=\"" + Number(kMargin) + "\" y=\"" + Number(kTitleY) + "\" font-size=\"14\">" +
                 XmlEscaped(title) + "</text>\n";
        WriteBands();
        WriteTuner();
        for (const std::int32_t iList : {0, 1})
            WriteLane(m_chart.Lane(iList), iList);
        WriteAxis();
        WriteLegend();
        m_out += "</svg>\n";
        return std::move(m_out);
    }

private:
    template <class... Values> void Append(const char* format, Values... values)
    {
        char buffer[512];
        const int n = std::snprintf(buffer, sizeof buffer, format, values...);
        if (n > 0)
            m_out.append(buffer, std::min(static_cast<std::size_t>(n), sizeof buffer - 1));
    }

    // Coordinates and sizes; every one lies within the view, so one that
    // does not (none should) is written as 0, never as "nan" or "inf". Two
    // decimals, the zeros after the last digit left out ("12.50" -> "12.5",
    // "12.00" -> "12"): smaller files, same drawing.
    static std::size_t FormatNumber(double value, char (&buffer)[32])
    {
        if (!std::isfinite(value))
            value = 0.0;
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
        const char* pEnd = result.ptr;
        while (pEnd > buffer && pEnd[-1] == '0')
            --pEnd;
        if (pEnd > buffer && pEnd[-1] == '.')
            --pEnd;
        return static_cast<std::size_t>(pEnd - buffer);
    }
    static std::string Number(double value)
    {
        char buffer[32];
        return std::string(buffer, FormatNumber(value, buffer));
    }
    void AppendNumber(double value)
    {
        char buffer[32];
        m_out.append(buffer, FormatNumber(value, buffer));
    }

    // The x of a frequency; frequencies off the axis, infinite ones too, stay
    // at its ends, and every x within the view. Halves keep the differences
    // of frequencies near the largest double finite.
    double X(double dbFrequency) const
    {
        const double start = m_chart.AxisStart() / 2;
        double share = (dbFrequency / 2 - start) / (m_chart.AxisEnd() / 2 - start);
        if (std::isnan(share))
            share = dbFrequency > m_chart.AxisEnd() ? 1.01 : -0.01;
        const double x = kMargin + std::clamp(share, -0.01, 1.01) * m_plotWidth;
        return std::clamp(x, 0.0, static_cast<double>(m_width));
    }

    // A tuner span's edge in its tooltip: one that is not a finite number is
    // said to be so.
    static std::string EdgeText(double dbEdge)
    {
        return std::isfinite(dbEdge) ? MegahertzText(dbEdge) : std::string("an edge that is not a finite number");
    }

    void WriteStyle()
    {
        m_out += std::string("<style>\n") + ".band{fill:" + kBandFill + "}.band-name{fill:" + kBandNameFill +
                 "}.tuner-span{fill:" + kTunerSpanFill + ";stroke:" + kTunerSpanStroke + "}.gap{fill:" + kGapFill +
                 "}.gap-width{fill:" + kGapWidthFill + "}.mark.air{stroke:" + kLaneColour[0] +
                 "}.mark.cable{stroke:" + kLaneColour[1] + "}.mark{stroke-width:" + kMarkWidth +
                 "}.mark.repeated{stroke-width:" + kRepeatedMarkWidth + ";stroke:" + kRepeatedColour +
                 "}.mark.uncovered{stroke-dasharray:" + kUncoveredDashes + ";stroke:" + kUncoveredColour +
                 "}.tick{stroke:" + kTickStroke + "}.lane-name{font-weight:bold}\n</style>\n";
    }

    void WriteBands()
    {
        m_out += "<g class=\"bands\">\n";
        for (const BroadcastBand& band : BroadcastBands()) {
            if (band.dbEnd < m_chart.AxisStart() || band.dbStart > m_chart.AxisEnd())
                continue;
            const double x1 = X(band.dbStart);
            const double x2 = X(band.dbEnd);
            m_out += "<rect class=\"band\" id=\"band-" + std::string(band.id) + "\" x=\"" + Number(x1) + "\" y=\"" +
                     Number(kBandTop) + "\" width=\"" + Number(x2 - x1) + "\" height=\"" +
                     Number(kLaneTop[1] + kLaneHeight - kBandTop) + "\"" + Attribute("fill", kBandFill) + "><title>" +
                     band.name + ", " + MegahertzText(band.dbStart) + " to " + MegahertzText(band.dbEnd) +
                     "</title></rect>\n";
            m_out += "<text class=\"band-name\" x=\"" + Number(x1 + 3) + "\" y=\"" + Number(kBandTextY) + "\"" +
                     Attribute("fill", kBandNameFill) + ">" + band.name + "</text>\n";
        }
        m_out += "</g>\n";
    }

    void WriteTuner()
    {
        if (!m_chart.HasTuner())
            return;
        m_out += "<g class=\"tuner\">\n";
        for (const ChartTunerSpan& span : m_chart.TunerSpans()) {
            const double x1 = X(span.dbStart);
            const double x2 = X(span.dbEnd);
            m_out += "<rect class=\"tuner-span\" id=\"tuner-" + std::string(TunerBandName(span.band)) + "\" x=\"" +
                     Number(x1) + "\" y=\"" + Number(kTunerTop) + "\" width=\"" + Number(x2 - x1) + "\" height=\"" +
                     Number(kTunerHeight) + "\"" + TunerSpanPaint() + "><title>" + XmlEscaped(span.caption) + ", " +
                     EdgeText(span.dbStart) + " to " + EdgeText(span.dbEnd) + "</title></rect>\n";
            m_out += "<text class=\"tuner-caption\" x=\"" + Number(x1 + 3) + "\" y=\"" + Number(kTunerTop + 13) +
                     "\">" + XmlEscaped(span.caption) + "</text>\n";
        }
        m_out += "<text class=\"tuner-title\" x=\"" + Number(m_width - kMargin) + "\" y=\"" + Number(kTitleY) +
                 "\" text-anchor=\"end\">Tuner " + XmlEscaped(m_chart.TunerTitle()) + "</text>\n";
        m_out += "</g>\n";
    }

    void WriteLane(const ChartLane& lane, std::int32_t iList)
    {
        const char* name = ChartLaneName(iList);
        const int top = kLaneTop[iList];
        m_out += std::string("<g class=\"lane\" id=\"lane-") + name + "\">\n";
        m_out += "<text class=\"lane-name\" x=\"4\" y=\"" + Number(top + kLaneHeight / 2 + 4) +
                 "\" font-weight=\"bold\">" + name + "</text>\n";
        for (const ChartGap& gap : lane.gaps) {
            const double x1 = X(gap.dbStart);
            const double x2 = X(gap.dbEnd);
            m_out += "<rect class=\"gap\" x=\"" + Number(x1) + "\" y=\"" + Number(top + kLaneHeight - 14) +
                     "\" width=\"" + Number(x2 - x1) + "\" height=\"14\"" + Attribute("fill", kGapFill) + "/>";
            m_out += "<text class=\"gap-width\" x=\"" + Number((x1 + x2) / 2) + "\" y=\"" +
                     Number(top + kLaneHeight - 3) + "\" text-anchor=\"middle\" font-size=\"9\"" +
                     Attribute("fill", kGapWidthFill) + ">" + MegahertzText(gap.Width()) + "</text>\n";
        }
        // Every mark of the lane spans the same rows; written once, they are
        // appended to each of up to 65,535 marks.
        const std::string markRows = "\" y1=\"" + Number(top + 14) + "\" x2=\"";
        const std::string markEnd = "\" y2=\"" + Number(top + kLaneHeight - 16) + "\"";
        const std::string labelStart = "\" y=\"" + Number(top + 10) + "\" text-anchor=\"middle\" font-size=\"9\">";
        double labelsEnd = -1e9;
        for (const ChartMark& mark : lane.marks) {
            const double x = X(mark.dbFrequency);
            m_out.append("<line class=\"mark ").append(name);
            if (mark.bRepeated)
                m_out += " repeated";
            if (mark.bUncovered)
                m_out += " uncovered";
            m_out.append("\" id=\"").append(name).append("-").append(std::to_string(mark.iChannel)).append("\" x1=\"");
            AppendNumber(x);
            m_out += markRows;
            AppendNumber(x);
            m_out.append(markEnd).append(MarkPaint(mark, iList)).append("><title>");
            AppendXmlEscaped(m_out, ChartMarkText(iList, mark));
            m_out += "</title></line>\n";
            // The channel number (and plan label) only where it does not run
            // into the one before.
            std::string label = std::to_string(mark.iChannel);
            if (!mark.label.empty())
                label.append(" ").append(mark.label);
            const double halfWidth = static_cast<double>(label.size()) * kCharWidth / 2;
            if (x - halfWidth > labelsEnd + 2) {
                m_out += "<text class=\"channel-label\" x=\"";
                AppendNumber(x);
                m_out += labelStart;
                AppendXmlEscaped(m_out, label);
                m_out += "</text>\n";
                labelsEnd = x + halfWidth;
            }
        }
        m_out += "</g>\n";
    }

    void WriteAxis()
    {
        m_out += "<g class=\"axis\">\n";
        Append("<line class=\"axis-line\" x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"#444\"/>\n", kMargin, kAxisY,
               m_width - kMargin, kAxisY);
        for (const double tick : AxisTicks(m_chart.AxisStart(), m_chart.AxisEnd(), m_plotWidth / 80)) {
            const double x = X(tick);
            m_out += "<line class=\"tick\" x1=\"" + Number(x) + "\" y1=\"" + Number(kAxisY) + "\" x2=\"" + Number(x) +
                     "\" y2=\"" + Number(kAxisY + 5) + "\"" + Attribute("stroke", kTickStroke) +
                     "/><text class=\"tick-label\" x=\"" + Number(x) + "\" y=\"" + Number(kAxisY + 17) +
                     "\" text-anchor=\"middle\">" + MegahertzText(tick) + "</text>\n";
        }
        m_out += "</g>\n";
    }

    void WriteLegend()
    {
        struct Entry
        {
            const char* colour;
            const char* text;
        };
        const Entry entries[] = {
            {kLaneColour[0], "air channel"},
            {kLaneColour[1], "cable channel"},
            {kRepeatedColour, "repeated frequency"},
            {kUncoveredColour, "outside the tuner"},
        };
        m_out += "<g class=\"legend\">\n";
        double x = kMargin;
        for (const Entry& entry : entries) {
            m_out += "<line class=\"legend-swatch\" stroke=\"" + std::string(entry.colour) +
                     "\" stroke-width=\"3\" x1=\"" + Number(x) + "\" y1=\"" + Number(kLegendY - 10) + "\" x2=\"" +
                     Number(x) + "\" y2=\"" + Number(kLegendY + 2) + "\"/><text x=\"" + Number(x + 6) + "\" y=\"" +
                     Number(kLegendY) + "\">" + entry.text + "</text>\n";
            x += 150;
        }
        m_out += "<rect class=\"gap\" x=\"" + Number(x) + "\" y=\"" + Number(kLegendY - 10) +
                 "\" width=\"20\" height=\"12\"" + Attribute("fill", kGapFill) + "/><text x=\"" + Number(x + 24) +
                 "\" y=\"" + Number(kLegendY) + "\">gap wider than " + FormatFactor() + " the usual spacing</text>\n";
        x += 260;
        m_out += "<rect class=\"tuner-span\" x=\"" + Number(x) + "\" y=\"" + Number(kLegendY - 10) +
                 "\" width=\"20\" height=\"12\"" + TunerSpanPaint() + "/><text x=\"" + Number(x + 24) + "\" y=\"" +
                 Number(kLegendY) + "\">tuner band and code</text>\n";
        m_out += "</g>\n";
    }

    static std::string FormatFactor() { return Number(kGapSpacingFactor) + " times"; }

    const BandChart& m_chart;
    int m_width;
    int m_plotWidth;
    std::string m_out;
};

} // namespace

void AppendXmlEscaped(std::string& out, const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                    AppendUtf8Replacement(out);
                else
                    out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            AppendUtf8Replacement(out);
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    AppendXmlEscaped(out, text);
    return out;
}

std::string BandChartSvg(const BandChart& chart, const std::string& title, int iWidth)
{
    return SvgWriter(chart, iWidth).Write(title);
}
