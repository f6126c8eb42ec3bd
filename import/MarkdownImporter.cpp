#include "import/MarkdownImporter.h"

#include "import/HtmlImporter.h"
#include "import/TextImporter.h"

#include <cmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct SNodeFree {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
};

// Markdown's own rendering options: raw HTML in the text is left out rather than passed on
// (cmark's safe default). The text is decoded to UTF-8 first, as plain text is, so the check is
// only a safeguard.
const int kMarkdownOptions = CMARK_OPT_DEFAULT | CMARK_OPT_VALIDATE_UTF8;

// The text of the first level-1 heading, its inline markup dropped; empty when there is none.
std::string firstTitle(cmark_node* root) {
    for (cmark_node* block = cmark_node_first_child(root); block != nullptr;
         block = cmark_node_next(block)) {
        if (cmark_node_get_type(block) != CMARK_NODE_HEADING ||
            cmark_node_get_heading_level(block) != 1) {
            continue;
        }
        std::string title;
        cmark_iter* iter = cmark_iter_new(block);
        for (cmark_event_type event = cmark_iter_next(iter); event != CMARK_EVENT_DONE;
             event = cmark_iter_next(iter)) {
            cmark_node* node = cmark_iter_get_node(iter);
            const cmark_node_type type = cmark_node_get_type(node);
            if (event != CMARK_EVENT_ENTER) {
                continue;
            }
            if (type == CMARK_NODE_TEXT || type == CMARK_NODE_CODE) {
                title += cmark_node_get_literal(node);
            } else if (type == CMARK_NODE_SOFTBREAK || type == CMARK_NODE_LINEBREAK) {
                title += ' ';
            }
        }
        cmark_iter_free(iter);
        return title;
    }
    return std::string();
}

} // namespace

// Known by its name alone: any text may be Markdown.
const SFormatEntry CMarkdownImporter::kFormat = {
    CDocumentImporter::eMarkdown,
    "markdown",
    nullptr,
    "Markdown",
    {"md", "markdown"},
    nullptr,
    true,
    &makeImporter<CMarkdownImporter>,
    {"text/markdown", "text/x-markdown"},
};

// The text is rendered to HTML and read as HTML, so headings, emphasis, lists and paragraphs
// map to items exactly as a web page's do; a code block becomes a pre and keeps its lines.
std::unique_ptr<CDataManager> CMarkdownImporter::read(const char* bytes, std::size_t size,
                                                      const SImportContext& context,
                                                      SImportReport* report) {
    // A Markdown file is a text file: UTF-16 and Windows-1252 ones are read as plain text is,
    // with the same notice.
    const char* text = nullptr;
    std::size_t textSize = 0;
    std::string converted;
    if (!CTextImporter::decode(bytes, size, &text, &textSize, &converted, report)) {
        return nullptr;
    }
    std::unique_ptr<cmark_node, SNodeFree> root(
        cmark_parse_document(text, textSize, kMarkdownOptions));
    if (!root) {
        report->error = "the Markdown text could not be read";
        return nullptr;
    }
    char* rendered = cmark_render_html(root.get(), kMarkdownOptions);
    const std::string html = rendered != nullptr ? rendered : "";
    std::free(rendered);

    std::unique_ptr<CDataManager> document = context.newDocument();
    CHtmlTextBuilder builder(document.get());
    wxString error;
    if (!builder.append(html.data(), html.size(), false, &error)) {
        report->error = error;
        return nullptr;
    }
    document->setTitle(wxString::FromUTF8(firstTitle(root.get())));
    return document;
}
