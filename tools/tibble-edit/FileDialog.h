// The editor's Open and Save As dialog: the folder shown, a list of its folders and level sources (double click or
// Enter goes into a folder, ".." up), a name field, and OPEN or SAVE with CANCEL. Tab moves between the list and
// the field, Enter answers OPEN/SAVE, Escape CANCEL. What a name means is the FileChooser's; what happens to the
// file chosen (asking before a file is replaced, the save itself) is the owner's, told through chosen. Owned by the
// application once added; main thread.
#pragma once

#include "FileChooser.h"

#include "widgets/Dialog.h"
#include "widgets/EditListener.h"
#include "widgets/ListListener.h"

#include <functional>
#include <memory>
#include <string>

namespace zest
{
class EditWidget;
class ListWidget;
} // namespace zest

namespace tibble::edit
{

class FileDialog : public zest::Dialog, public zest::ListListener, public zest::EditListener
{
public:
    static constexpr int Width = 520;
    static constexpr int Height = 440;

    // folder: the folder shown first (one that cannot be read: the home folder, then the root); name: put in the
    // name field with its stem selected. font is copied.
    FileDialog(int id, FileChooser::Mode mode, const std::string& folder, const std::string& name, zest::Font* font);
    ~FileDialog() override;

    // A file was chosen (path absolute; exists: there is a file there already). The dialog stays open: the owner
    // closes it, or leaves it open with a message when the file could not be used.
    std::function<void(const std::string& path, bool exists)> chosen;
    // CANCEL or Escape; the owner closes the dialog.
    std::function<void()> cancelled;

    // OPEN/SAVE: the name in the field (or the row it was taken from) as the FileChooser reads it.
    void Accept();
    void Cancel();
    // The row at index: a folder is shown, a file chosen.
    void Activate(int index);
    // A line under the name field saying what went wrong (empty: none).
    void SetMessage(const std::string& text);
    const std::string& GetMessage() const { return message; }
    // Gives the keyboard focus to the name field (Save As) or the list (Open).
    void FocusFirst();

    const FileChooser& GetChooser() const { return chooser; }
    zest::ListWidget& GetList() const { return *list; }
    zest::EditWidget& GetNameField() const { return *nameField; }

    using zest::Dialog::Resize;
    void Resize(int newX, int newY, int newWidth, int newHeight) override;
    void Draw(zest::Graphics* g) override;
    void ButtonClicked(int buttonId) override;
    void ListSelectionChanged(int id, int index) override;
    void ListClicked(int id, int index, int clickCount) override;
    void EditWidgetText(int id, const std::string& text) override;
    void EditTextChanged(int id) override;

private:
    // Shows folder (false and a message when it cannot be read; the old one stays).
    bool ShowFolder(const std::string& path);
    // The name field's text, in the file system's encoding.
    std::string TypedName() const;

    FileChooser chooser;
    std::unique_ptr<zest::ListWidget> list;
    std::unique_ptr<zest::EditWidget> nameField;
    std::unique_ptr<zest::Font> font;
    std::string message;
    // The file row last put into the field: its name as the file system has it and as the field shows it (the
    // field's encoding cannot hold every name), so an untouched field still names the right file.
    std::string pickedName;
    std::string pickedShown;
};

} // namespace tibble::edit
