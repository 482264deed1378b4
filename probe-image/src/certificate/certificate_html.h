// A calibration report as one self-contained, printable HTML page: headed facts,
// then sections of paragraphs, tables and inline SVG plots. No script and nothing
// fetched; the page is well-formed XML (XHTML syntax), so that any XML reader can
// take it apart, and A4 print rules keep it to few pages.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct CertificateTable {
    std::string caption;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    bool numeric = true;  // cells after the first right-aligned
};

struct CertificatePlot {
    std::string caption;
    std::string svg;  // an SVG document
};

struct CertificateSection {
    std::string id;  // the section element's id
    std::string title;
    std::vector<std::pair<std::string, std::string>> facts;  // a two-column list
    std::vector<std::string> paragraphs;
    std::vector<CertificateTable> tables;
    std::vector<CertificatePlot> plots;  // side by side
};

struct Certificate {
    std::string number;  // printed with "page x of y" on every page; empty: no number
    std::string title;
    std::string subtitle;
    std::vector<CertificateSection> sections;
};

std::string CertificateHtml(const Certificate& certificate);

// An SVG document made fit to stand inside an HTML page: its XML declaration left
// out and its size given by the page, its proportions kept.
std::string InlineSvg(const std::string& svg);
