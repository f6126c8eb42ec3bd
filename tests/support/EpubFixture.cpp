#include "EpubFixture.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/mstream.h>
#include <wx/zipstrm.h>

#include <algorithm>
#include <sstream>

std::vector<SZipEntry> flitEpubEntries(const std::string& title,
                                       const std::vector<std::string>& chapters,
                                       const std::string& spine, const std::string& nav,
                                       const std::string& ncx) {
    const std::string xhtml = "<?xml version='1.0'?><html xmlns='http://www.w3.org/1999/xhtml' "
                              "xmlns:epub='http://www.idpf.org/2007/ops'><body>";
    std::vector<SZipEntry> entries = {
        {"mimetype", "application/epub+zip", eZipStored},
        {"META-INF/container.xml",
         "<container><rootfiles><rootfile full-path='OPS/book.opf'/></rootfiles></container>"}};
    std::string manifest;
    for (std::size_t i = 1; i <= chapters.size(); ++i) {
        const std::string id = "c" + std::to_string(i);
        manifest += "<item id='" + id + "' href='" + id + ".xhtml'/>";
        entries.push_back({"OPS/" + id + ".xhtml", xhtml + chapters[i - 1] + "</body></html>"});
    }
    if (!nav.empty()) {
        manifest += "<item id='nav' href='nav.xhtml' properties='nav'/>";
        entries.push_back({"OPS/nav.xhtml", xhtml + "<nav epub:type='toc'><ol>" + nav +
                                                "</ol></nav></body></html>"});
    }
    if (!ncx.empty()) {
        manifest += "<item id='ncx' href='toc.ncx' media-type='application/x-dtbncx+xml'/>";
        entries.push_back({"OPS/toc.ncx", "<ncx><navMap>" + ncx + "</navMap></ncx>"});
    }
    std::string refs;
    std::istringstream ids(spine);
    for (std::string id; ids >> id;) {
        refs += "<itemref idref='" + id.substr(id[0] == '-') +
                (id[0] == '-' ? "' linear='no'/>" : "'/>");
    }
    entries.push_back({"OPS/book.opf",
                       "<package xmlns:dc='http://purl.org/dc/elements/1.1/'><metadata><dc:title>" +
                           title + "</dc:title></metadata><manifest>" + manifest + "</manifest>" +
                           (spine.empty() ? "" : "<spine toc='ncx'>" + refs + "</spine>") +
                           "</package>"});
    return entries;
}

std::string flitZipBytes(const std::vector<SZipEntry>& entries) {
    std::vector<SZipEntry> kept;
    for (const SZipEntry& entry : entries) {
        auto found = std::find_if(kept.begin(), kept.end(),
                                  [&](const SZipEntry& k) { return k.name == entry.name; });
        found = found != kept.end() ? kept.erase(found) : found;
        if (entry.kind != eZipDropped) {
            kept.insert(found, entry);
        }
    }
    wxMemoryOutputStream out;
    {
        wxZipOutputStream zip(out, -1, wxConvUTF8);
        for (const SZipEntry& entry : kept) {
            zip.SetLevel(entry.kind == eZipStored ? 0 : -1);
            zip.PutNextEntry(wxString::FromUTF8(entry.name));
            zip.Write(entry.content.data(), entry.content.size());
        }
    }
    std::string bytes(out.GetLength(), '\0');
    out.CopyTo(&bytes[0], bytes.size());
    return bytes;
}

wxString flitWriteTempFile(const std::string& bytes, const wxString& name) {
    wxString folder = wxFileName::CreateTempFileName("flit-epub");
    wxRemoveFile(folder);
    wxMkdir(folder);
    wxFFile(folder + "/" + name, "wb").Write(bytes.data(), bytes.size());
    return folder + "/" + name;
}
