#pragma once
// The document's state without its window: the parameters, the register set, the two
// flags and the views that refresh from it.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "studio/config/CConfig.h"
#include "studio/config/CRegister.h"

namespace tessary {

// A view that shows the document and refreshes when it changes.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void OnUpdate() = 0;
};

class TessaryDocument {
public:
    TessaryDocument() = default;
    TessaryDocument(const TessaryDocument&) = delete;
    TessaryDocument& operator=(const TessaryDocument&) = delete;

    CConfig config;
    CRegister registers;
    // Set by a new document and whenever a form applies its values; cleared by a
    // device selection. Forms disable "&Save" while it is clear.
    bool settingsApplied = true;
    bool modified = false;

    void AddView(DocumentView* view) { views_.push_back(view); }
    void RemoveView(DocumentView* view) { std::erase(views_, view); }
    void UpdateAllViews() {
        const auto views = views_;  // a view may add or remove views while refreshing
        for (DocumentView* v : views) v->OnUpdate();
    }

    // New document: contents reset by the device number held now.
    void OnNewDocument();
    // Reset, then the file's first 264 bytes; a short file leaves the document reset.
    bool Load(std::span<const std::uint8_t> bytes, std::string& error);
    std::string SaveBytes() const;

private:
    std::vector<DocumentView*> views_;
};

}  // namespace tessary
