// The icon page of one category tab, and the pick it turns a click into.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "ComCtrls.h"
#include "DpiScale.h"
#include "Exceptions.h"
#include "Forms.h"
#include "IconPageText.h"
#include "MainLogic.h"
#include "PictureClipboard.h"
#include "PictureView.h"
#include "RecentTab.h"
#include "main.h"
#include "mainobj.h"

namespace {

// Cleared by the first page whose browser fails; later pages then do not
// pay for a browser that cannot work.
bool browserUsable = true;

std::string AnsiText(const wchar_t* text) {
    if (!text || !*text) return "";
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return "";
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

std::wstring WideText(const std::string& text) {
    if (text.empty()) return L"";
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), size);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

// document.title := "" through the document's automation interface, late bound.
void ResetDocumentTitle(IDispatch* document) {
    if (!document) return;
    LPOLESTR name = const_cast<LPOLESTR>(L"title");
    DISPID id = 0;
    HRESULT hr = document->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw EOleError(hr, SysErrorMessage(static_cast<unsigned long>(hr)));
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(L"");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    hr = document->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                          nullptr);
    VariantClear(&value);
    if (FAILED(hr)) throw EOleError(hr, SysErrorMessage(static_cast<unsigned long>(hr)));
}

// Counted for the tests and the benchmark, which read it from outside as a
// property of the main window.
int listingCount = 0;

}  // namespace

int ticonbox::ListingCount() { return listingCount; }

void ticonbox::CountListing() {
    ++listingCount;
    TForm* main = Application->MainForm();
    if (main && main->HandleAllocated())
        SetPropA(main->Handle(), kListingCountProperty,
                 reinterpret_cast<HANDLE>(static_cast<INT_PTR>(listingCount)));
}

bool ticonbox::BrowserUsable() { return browserUsable; }
void ticonbox::SetBrowserUsable(bool usable) { browserUsable = usable; }

ticonbox::ticonbox(const std::string& folder, TTabSheet* tab) : ticonbox(tab, folder, nullptr) {}

ticonbox::ticonbox(const std::vector<std::string>& files, TTabSheet* tab) : ticonbox(tab, std::string(), &files) {}

ticonbox::ticonbox(TTabSheet* tab, const std::string& folder, const std::vector<std::string>* files)
    : TEmbeddedWB(tab, browserUsable ? TOleCreation::Optional : TOleCreation::None), tab_(tab), listed_(files != nullptr) {
    if (!HasObject() && browserUsable) FallBackToNativeView();
    // The browser lives in the tab's window without being one of its managed
    // children. (The native view is a child of the tab: it gets its window
    // with the tab's, when the tab is first shown.)
    if (HasObject()) {
        SetParentWindow(tab->Handle());
        try {
            HandleNeeded();  // in-place activation
        } catch (const std::exception&) {
            FallBackToNativeView();
        }
    }
    ImageFiles = std::make_unique<TStringList>();
    PageLines = std::make_unique<TStringList>();
    const int d = tab->Dpi();  // 5-pixel margins and 317 high at 96 dpi
    SetBounds(dpi::Scale(5, d), dpi::Scale(5, d), tab->Width() - dpi::Scale(10, d), dpi::Scale(317, d));
    FolderPath = folder;
    if (files)
        for (const std::string& file : *files) AddImageFile(file);
    RefreshPage();
    OnTitleChange = EVENT(TWebBrowserTitleChange, ticonbox, PickTitleChange, this);
    AppFolder = AppDirOf(ExecutablePath());
}

ticonbox::~ticonbox() {
    ImageFiles.reset();
    PageLines.reset();
}

void ticonbox::AddImageFile(const std::string& path) { ImageFiles->Add(path); }

void ticonbox::BuildPage() {
    ImageFiles->Clear();
    CountListing();
    // One walk of the folder, then the files of each extension in turn: the
    // lists that a "*.<extension>" walk per extension gives, for a quarter
    // of the directory reading (which is most of a page's start-up).
    TStringList found;
    ForEachEntry(
        FolderPath, false, [](void* target, const std::string& path) { static_cast<TStringList*>(target)->Add(path); },
        &found, false, "*");
    // Name order within one extension, as NTFS enumerates.
    SortPathsByName(found);
    for (const char* extension : PictureExtensions)
        for (const std::string& path : found)
            if (HasExtension(LastPathComponent(path), extension)) AddImageFile(path);
    if (ImageFiles->Count() == 0) return;
    MakePageLines();
}

void ticonbox::MakePageLines() {
    PageLines->Clear();
    for (std::string& line : BuildPageLines({ImageFiles->begin(), ImageFiles->end()})) PageLines->Add(std::move(line));
}

void ticonbox::ShowFiles(const std::vector<std::string>& files) {
    ImageFiles->Clear();
    for (const std::string& file : files) AddImageFile(file);
    RefreshPage();
}

void ticonbox::RefreshPage() {
    // A page of a given list keeps its files; a category's come from its folder.
    if (listed_) MakePageLines();
    else BuildPage();
    if (HasObject()) {
        try {
            // Only a raised error (the blank-document wait running out
            // included) is a failure: Load may answer S_FALSE for a page it
            // shows.
            LoadPageFromLines(*PageLines);
            return;
        } catch (const std::exception&) {
        }
        FallBackToNativeView();
    }
    if (!nativeView_) {
        nativeView_ = new TPictureView(this);
        nativeView_->SetBounds(Left(), Top(), Width(), Height());
        nativeView_->OnPictureClick = TEvent<TObject*, int>::Bind<ticonbox, &ticonbox::PictureClicked>(this);
        nativeView_->SetCaption(tab_->Caption());  // what assistive technology calls the page
        nativeView_->SetParent(tab_);
        nativeView_->SetBounds(Left(), Top(), Width(), Height());  // already at the tab's resolution
        nativeView_->SetFiles({ImageFiles->begin(), ImageFiles->end()});
        return;
    }
    // Listed again: the view keeps its scroll position and focused picture.
    nativeView_->UpdateFiles({ImageFiles->begin(), ImageFiles->end()});
}

void ticonbox::LibraryChanged(bool onScreen) {
    stale_ = true;
    if (onScreen) TabShown(tab_);
}

// The pictures take the keyboard focus when their tab is shown: now when
// the window is active, else when it is next activated.
void ticonbox::TabShown(TObject*) {
    if (stale_) {
        stale_ = false;
        RefreshPage();
    }
    if (!nativeView_) return;
    for (TWinControl* c = tab_; c; c = c->Parent())
        if (auto* form = dynamic_cast<TForm*>(c)) {
            form->SetActiveControl(nativeView_);
            return;
        }
}

void ticonbox::FallBackToNativeView() {
    browserUsable = false;
    if (HasObject()) ReleaseObject();
}

void ticonbox::PictureClicked(TObject*, int index) {
    if (index < 0 || index >= ImageFiles->Count()) return;
    const std::wstring title = WideText(ForwardSlashPath((*ImageFiles)[index]));
    PickTitleChange(this, title.c_str());
}

void ticonbox::PickTitleChange(TObject*, const wchar_t* title) {
    const std::string path = AnsiText(title);
    if (!IsPictureTitle(path)) return;
    // Decided once: what goes on the clipboard and where the keys go both
    // follow from it, even if windows open or close meanwhile.
    const PickTarget target = FindPickTarget();
    LastPickedPicture = path;
    // Lets the same picture be picked again: clicking it changes the title again.
    if (HasObject()) ResetDocumentTitle(Document().Get());
    if (target.decision.route == PickRoute::Picture) {
        PutPictureOnClipboard(path);
    } else {
        const bool headed = target.decision.route == PickRoute::Compose && target.decision.kind == 3;
        PutHtmlOnClipboard(headed ? std::string(HtmlClipboardHeader) : std::string(), AnsiText(title));
    }
    PasteIntoTarget(target);
    RememberRecentPick(path);
    if (DoMinimizeFlag) HideToTray();
}

void HideToTray() {
    if (TForm* main = Application->MainForm()) main->Hide();
    Application->Minimize();
}
