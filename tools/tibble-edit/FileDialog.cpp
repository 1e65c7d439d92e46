#include "FileDialog.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "platform/TextEncoding.h"
#include "platform/VirtualKeys.h"
#include "widgets/DialogButton.h"
#include "widgets/EditWidget.h"
#include "widgets/ListWidget.h"
#include "widgets/WidgetManager.h"

#include <cstdlib>
#include <filesystem>

namespace tibble::edit
{

namespace
{

constexpr int ListId = 1;
constexpr int NameId = 2;

// Inside the dialog (its own coordinates).
constexpr int Margin = 36;
constexpr int FolderBaseline = 78;
constexpr int ListTop = 88;
constexpr int ListHeight = 206;
constexpr int NameTop = 308;
constexpr int NameLabelWidth = 54;
constexpr int MessageBaseline = 352;

const zest::Color LabelColor(255, 255, 255);
const zest::Color FolderRowColor(20, 60, 150);
const zest::Color MessageColor(255, 150, 130);

// The list and the field have no use for Enter (the list) and Escape: the dialog answers them.
class FileList : public zest::ListWidget
{
public:
    FileList(FileDialog& owner) : zest::ListWidget(ListId, &owner), dialog(owner) {}
    void KeyDown(int key) override
    {
        if (key == zest::VK_RETURN)
            dialog.Activate(GetSelection());
        else if (key == zest::VK_ESCAPE)
            dialog.Cancel();
        else
            zest::ListWidget::KeyDown(key);
    }

private:
    FileDialog& dialog;
};

class NameField : public zest::EditWidget
{
public:
    NameField(FileDialog& owner) : zest::EditWidget(NameId, &owner), dialog(owner) {}
    void KeyDown(int key) override
    {
        if (key == zest::VK_ESCAPE)
            dialog.Cancel();
        else
            zest::EditWidget::KeyDown(key);
    }

private:
    FileDialog& dialog;
};

std::string RowLabel(const FileChooser::Entry& entry)
{
    if (entry.name == "..")
        return "..  (up one folder)";
    const std::string shown = zest::Utf8ToWindows1252(entry.name);
    return entry.folder ? shown + "/" : shown;
}

} // namespace

FileDialog::FileDialog(int dialogId, FileChooser::Mode mode, const std::string& folder, const std::string& name,
                       zest::Font* textFont)
    : zest::Dialog(nullptr, nullptr, dialogId, true, mode == FileChooser::Mode::Open ? "OPEN LEVEL" : "SAVE LEVEL AS",
                   "", "", ButtonsOkCancel),
      chooser(mode)
{
    list = std::make_unique<FileList>(*this);
    nameField = std::make_unique<NameField>(*this);
    if (textFont)
    {
        font = textFont->Duplicate();
        SetHeaderFont(textFont);
        SetLinesFont(textFont);
        SetButtonFont(textFont);
        list->SetFont(textFont);
        nameField->SetFont(textFont);
    }
    yesButton->label = mode == FileChooser::Mode::Open ? "OPEN" : "SAVE";
    noButton->label = "CANCEL";
    nameField->maxLength = 240;
    // Tab and Shift+Tab go round the two.
    nameField->tabNext = list.get();
    nameField->tabPrev = list.get();
    list->tabNext = nameField.get();
    list->tabPrev = nameField.get();
    AddWidget(list.get());
    AddWidget(nameField.get());
    // Sized before anything is shown: the list scrolls and the field scrolls its text by their sizes.
    Resize(0, 0, Width, Height);

    // A folder that went away (or none given) falls back to the home folder, then the root.
    const char* home = std::getenv("HOME");
    bool shown = false;
    for (const std::string& candidate : {folder, std::string(home ? home : ""), std::string("/")})
    {
        if (!candidate.empty() && (shown = ShowFolder(candidate)))
            break;
    }
    if (shown && folder != chooser.Folder() && !folder.empty())
        SetMessage("cannot show " + folder + "; showing " + chooser.Folder());
    // A name given replaces the level the list picked (Open); its stem is selected, so typing replaces the name
    // and keeps the extension.
    if (!name.empty())
    {
        const std::string field = zest::Utf8ToWindows1252(name);
        nameField->SetText(field);
        pickedName = name;
        pickedShown = field;
        const size_t dot = field.rfind('.');
        nameField->SetSelection(0, static_cast<int>(dot == std::string::npos || dot == 0 ? field.size() : dot));
    }
}

FileDialog::~FileDialog()
{
    // Out of the tree (with the buttons) before the list and the field go.
    if (GetParent())
        GetParent()->RemoveWidget(this);
    RemoveWidget(list.get());
    RemoveWidget(nameField.get());
}

void FileDialog::Resize(int newX, int newY, int newWidth, int newHeight)
{
    zest::Dialog::Resize(newX, newY, newWidth, newHeight);
    if (!list || !nameField)
        return;
    list->Resize(Margin, ListTop, width - 2 * Margin, ListHeight);
    nameField->Resize(Margin + NameLabelWidth, NameTop, width - 2 * Margin - NameLabelWidth, 24);
}

bool FileDialog::ShowFolder(const std::string& path)
{
    std::string error;
    if (!chooser.SetFolder(path, error))
    {
        SetMessage(error);
        return false;
    }
    list->SetRows({});
    for (const FileChooser::Entry& entry : chooser.Entries())
        list->AddRow(RowLabel(entry), entry.folder ? FolderRowColor : zest::Color());
    list->SetScrollRow(0);
    // The first level source is ready to open; saving starts with nothing picked.
    int first = -1;
    for (size_t i = 0; i < chooser.Entries().size() && first < 0; i++)
        if (!chooser.Entries()[i].folder)
            first = static_cast<int>(i);
    list->SetSelection(chooser.GetMode() == FileChooser::Mode::Open ? first : -1);
    if (chooser.GetMode() == FileChooser::Mode::Open)
        ListSelectionChanged(ListId, list->GetSelection());
    SetMessage("");
    MarkDirty();
    return true;
}

std::string FileDialog::TypedName() const
{
    const std::string& text = nameField->GetText();
    return !pickedShown.empty() && text == pickedShown ? pickedName : zest::Windows1252ToUtf8(text);
}

void FileDialog::Accept()
{
    const FileChooser::Choice choice = chooser.Resolve(TypedName());
    switch (choice.kind)
    {
    case FileChooser::Choice::Kind::Refused:
        SetMessage(choice.message);
        break;
    case FileChooser::Choice::Kind::Folder:
    {
        // The field named the folder: it is used up (opening then offers the folder's first level).
        const std::string typed = nameField->GetText();
        nameField->SetText("");
        pickedName.clear();
        pickedShown.clear();
        if (!ShowFolder(choice.path))
            nameField->SetText(typed);
        break;
    }
    case FileChooser::Choice::Kind::File:
        SetMessage("");
        if (chosen)
            chosen(choice.path, choice.exists);
        break;
    }
}

void FileDialog::Cancel()
{
    result = NoButtonId;
    if (cancelled)
        cancelled();
}

void FileDialog::Activate(int index)
{
    if (index < 0 || index >= static_cast<int>(chooser.Entries().size()))
    {
        Accept();
        return;
    }
    const FileChooser::Entry entry = chooser.Entries()[static_cast<size_t>(index)];
    if (entry.folder)
    {
        std::string error;
        const std::string from = chooser.Folder();
        if (!chooser.Enter(index, error))
        {
            SetMessage(error);
            return;
        }
        ShowFolder(chooser.Folder());
        // Going up keeps the folder just left in view and selected.
        if (entry.name == "..")
        {
            const std::string left = std::filesystem::path(from).filename().string();
            for (size_t i = 0; i < chooser.Entries().size(); i++)
                if (chooser.Entries()[i].folder && chooser.Entries()[i].name == left)
                    list->SetSelection(static_cast<int>(i));
        }
        return;
    }
    ListSelectionChanged(ListId, index);
    Accept();
}

void FileDialog::SetMessage(const std::string& text)
{
    if (message == text)
        return;
    message = text;
    MarkDirty();
}

void FileDialog::FocusFirst()
{
    if (!widgetManager)
        return;
    if (chooser.GetMode() == FileChooser::Mode::Open && list->RowCount() > 0)
    {
        if (list->GetSelection() < 0)
            list->SetSelection(0);
        widgetManager->SetFocus(list.get());
    }
    else
        widgetManager->SetFocus(nameField.get());
}

void FileDialog::Draw(zest::Graphics* g)
{
    zest::Dialog::Draw(g);
    g->SetFont(GetLinesFont());
    zest::Font* textFont = GetLinesFont();
    // The folder's path, its start cut off when it is too long.
    std::string path = zest::Utf8ToWindows1252(chooser.Folder());
    const int room = width - 2 * Margin - textFont->StringWidth("in  ");
    while (path.size() > 4 && textFont->StringWidth(path) > room)
        path = "..." + path.substr(4);
    g->SetColor(LabelColor);
    g->DrawString("in  " + path, Margin, FolderBaseline);
    g->DrawString("Name", Margin, NameTop + 17);
    if (!message.empty())
    {
        g->SetColor(MessageColor);
        g->DrawString(message, Margin, MessageBaseline);
    }
}

void FileDialog::ButtonClicked(int buttonId)
{
    if (buttonId == YesButtonId)
        Accept();
    else if (buttonId == NoButtonId)
        Cancel();
}

void FileDialog::ListSelectionChanged(int id, int index)
{
    (void)id;
    if (index < 0 || index >= static_cast<int>(chooser.Entries().size()))
        return;
    const FileChooser::Entry& entry = chooser.Entries()[static_cast<size_t>(index)];
    if (entry.folder)
        return;
    // A file row names the file in the field.
    pickedName = entry.name;
    pickedShown = zest::Utf8ToWindows1252(entry.name);
    nameField->SetText(pickedShown);
    SetMessage("");
}

void FileDialog::ListClicked(int id, int index, int clickCount)
{
    (void)id;
    if (clickCount == 2)
        Activate(index);
}

void FileDialog::EditWidgetText(int id, const std::string& text)
{
    (void)id, (void)text;
    Accept();
}

void FileDialog::EditTextChanged(int id)
{
    (void)id;
    SetMessage("");
}

} // namespace tibble::edit
