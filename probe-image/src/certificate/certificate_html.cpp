#include "certificate_html.h"

#include "svg_numbers.h"

namespace {

// Printed on A4 with narrow margins in a small type: a report of some dozens of
// measurements per table fits in three pages.
constexpr char kStyle[] = R"(@page { size: A4; margin: 12mm 12mm 14mm 12mm; }
body { font-family: "DejaVu Sans", Helvetica, Arial, sans-serif; font-size: 8.5pt; color: #111; margin: 0; }
h1 { font-size: 14pt; margin: 0 0 1mm 0; }
h2 { font-size: 10.5pt; margin: 4mm 0 1.5mm 0; border-bottom: 0.3mm solid #1f5fa8; }
p.subtitle { margin: 0 0 2mm 0; color: #444; }
p { margin: 1mm 0; }
dl { display: grid; grid-template-columns: max-content auto; gap: 0.5mm 4mm; margin: 1mm 0; }
dt { color: #444; }
dd { margin: 0; font-family: "DejaVu Sans Mono", monospace; overflow-wrap: anywhere; }
table { border-collapse: collapse; margin: 1.5mm 0; font-size: 7.5pt; }
caption { text-align: left; font-weight: bold; padding-bottom: 0.8mm; }
th, td { padding: 0.2mm 2mm; border-bottom: 0.1mm solid #ccc; }
th { text-align: left; background: #eef2f7; }
td.n { text-align: right; font-family: "DejaVu Sans Mono", monospace; }
tr { break-inside: avoid; }
thead { display: table-header-group; }
div.plots { display: flex; gap: 3mm; break-inside: avoid; }
div.plot { flex: 0 0 49%; }
div.plot svg { width: 100%; height: auto; }
p.caption { font-weight: bold; }
section { break-inside: auto; }
)";

std::string Element(const std::string& tag, const std::string& content,
                    const std::string& attributes = "") {
    return "<" + tag + attributes + ">" + XmlEscaped(content) + "</" + tag + ">";
}

std::string Table(const CertificateTable& table) {
    std::string html = "<table>\n";
    if (!table.caption.empty())
        html += Element("caption", table.caption) + "\n";
    html += "<thead><tr>";
    for (const std::string& cell : table.header)
        html += Element("th", cell);
    html += "</tr></thead>\n<tbody>\n";
    for (const std::vector<std::string>& row : table.rows) {
        html += "<tr>";
        for (std::size_t i = 0; i < row.size(); ++i)
            html += Element("td", row[i], table.numeric && i > 0 ? " class=\"n\"" : "");
        html += "</tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

std::string Section(const CertificateSection& section) {
    std::string html = "<section id=\"" + XmlEscaped(section.id) + "\">\n";
    html += Element("h2", section.title) + "\n";
    if (!section.facts.empty()) {
        html += "<dl>\n";
        for (const auto& [name, value] : section.facts)
            html += Element("dt", name) + Element("dd", value) + "\n";
        html += "</dl>\n";
    }
    for (const std::string& paragraph : section.paragraphs)
        html += Element("p", paragraph) + "\n";
    for (const CertificateTable& table : section.tables)
        html += Table(table);
    if (!section.plots.empty()) {
        html += "<div class=\"plots\">\n";
        for (const CertificatePlot& plot : section.plots)
            html += "<div class=\"plot\">\n" + Element("p", plot.caption, " class=\"caption\"") +
                    "\n" + InlineSvg(plot.svg) + "</div>\n";
        html += "</div>\n";
    }
    return html + "</section>\n";
}

// A CSS string: quotes and backslashes escaped, line breaks as spaces, and the
// characters markup gives a meaning as CSS escapes, so that the style reads the
// same to an HTML and to an XML parser.
std::string CssString(const std::string& text) {
    std::string css = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            css += std::string("\\") + c;
        else if (c == '<' || c == '>' || c == '&')
            css += c == '<' ? "\\3C " : c == '>' ? "\\3E " : "\\26 ";
        else
            css += c == '\n' || c == '\r' ? ' ' : c;
    }
    return css + "\"";
}

// The number and "page x of y" in the margins of every printed page.
std::string PageMargins(const Certificate& certificate) {
    if (certificate.number.empty())
        return "";
    return "@page {\n  @top-left { content: " + CssString(certificate.title) +
           "; font-size: 7.5pt; color: #444; }\n  @top-right { content: " +
           CssString("Certificate " + certificate.number) +
           "; font-size: 8pt; }\n  @bottom-right { content: " +
           CssString("Certificate " + certificate.number + ", page ") +
           " counter(page) \" of \" counter(pages); font-size: 8pt; }\n}\n";
}

}  // namespace

std::string InlineSvg(const std::string& svg) {
    std::string inner = svg;
    if (inner.rfind("<?xml", 0) == 0)
        inner.erase(0, inner.find("?>") + 2);
    while (!inner.empty() && (inner.front() == '\n' || inner.front() == '\r'))
        inner.erase(0, 1);
    return inner;
}

std::string CertificateHtml(const Certificate& certificate) {
    std::string html =
        "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
        "<meta charset=\"utf-8\"/>\n";
    html += Element("title", certificate.title) + "\n";
    html += "<style>\n" + std::string(kStyle) + PageMargins(certificate) +
            "</style>\n</head>\n<body>\n";
    html += Element("h1", certificate.title) + "\n";
    html += Element("p", certificate.subtitle, " class=\"subtitle\"") + "\n";
    for (const CertificateSection& section : certificate.sections)
        html += Section(section);
    return html + "</body>\n</html>\n";
}
