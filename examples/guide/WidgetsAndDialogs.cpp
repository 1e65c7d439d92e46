#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/widgets/ButtonWidget.h>
#include <zest/widgets/Dialog.h>
#include <zest/widgets/WidgetManager.h>

namespace guide
{
namespace
{

constexpr int QuitButtonId = 1;
constexpr int AskDialogId = 10;

class QuitAskerApp : public zest::ZestAppBase
{
public:
    QuitAskerApp()
    {
        productName = "Quit Asker";
        title = "Quit Asker";
        registryKey = "Zest Examples\\Quit Asker";
    }
    void Initialize() override
    {
        ZestAppBase::Initialize();
        if (shutdown)
            return;
        quit.label = "QUIT";
        quit.Resize(width / 2 - 50, height / 2 - 15, 100, 30);
        widgetManager->AddWidget(&quit);
    }
    // Buttons report to their listener by id. A dialog's YES reaches the application as
    // 2000 + dialog id, its NO as 3000 + dialog id.
    void ButtonPressed(int id) override
    {
        if (id == QuitButtonId)
            ShowDialog(AskDialogId, true, "QUIT?", "Do you really want to leave?", "", zest::Dialog::ButtonsYesNo);
        else if (id == 2000 + AskDialogId)
            Shutdown();
        else if (id == 3000 + AskDialogId)
            CloseDialog(AskDialogId);
    }

private:
    zest::ButtonWidget quit{QuitButtonId, this};
};

} // namespace

int RunQuitAsker(int argc, char** argv)
{
    return RunApp<QuitAskerApp>(argc, argv);
}

} // namespace guide
