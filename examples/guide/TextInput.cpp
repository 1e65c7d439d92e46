#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/SysFont.h>
#include <zest/widgets/EditListener.h>
#include <zest/widgets/EditWidget.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

#include <cctype>
#include <string>

namespace guide
{
namespace
{

constexpr int NameFieldId = 1;
constexpr int AgeFieldId = 2;

// Shows what the fields hold.
class Summary : public zest::Widget
{
public:
    void Draw(zest::Graphics* g) override
    {
        g->SetColor(zest::Color(236, 240, 244));
        g->FillRect(0, 0, width, height);
        g->SetColor(zest::Color(46, 42, 54));
        g->SetFont(&font);
        g->DrawString("Name", 120, 150);
        g->DrawString("Age", 120, 200);
        g->DrawString(line, 120, 280);
    }
    std::string line = "Type, then press Enter.";

private:
    zest::SysFont font{"DejaVu Sans", 14, false}; // any face fontconfig knows
};

class FormApp : public zest::ZestAppBase, public zest::EditListener
{
public:
    FormApp()
    {
        productName = "Form";
        title = "Text fields";
        registryKey = "Zest Examples\\Form";
    }
    void Initialize() override
    {
        ZestAppBase::Initialize();
        if (shutdown)
            return;
        summary.Resize(0, 0, width, height);
        widgetManager->AddWidget(&summary);

        name.Resize(200, 132, 260, 26);
        name.maxLength = 24;
        age.Resize(200, 182, 60, 26);
        age.maxLength = 3;
        // The filter sees each character before it is typed or pasted; false refuses it.
        age.filter = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
        // Tab and Shift+Tab move between the fields.
        name.tabNext = &age;
        age.tabPrev = &name;
        widgetManager->AddWidget(&name);
        widgetManager->AddWidget(&age);
        widgetManager->SetFocus(&name);
    }
    // Enter in a field. Text is in the framework's encoding (Windows-1252), as fonts draw it.
    void EditWidgetText(int id, const std::string& text) override
    {
        (void)id;
        (void)text;
        summary.line = name.GetText() + (age.GetText().empty() ? "" : ", " + age.GetText());
        summary.MarkDirty();
    }

private:
    Summary summary;
    zest::EditWidget name{NameFieldId, this};
    zest::EditWidget age{AgeFieldId, this};
};

} // namespace

int RunForm(int argc, char** argv)
{
    return RunApp<FormApp>(argc, argv);
}

} // namespace guide
