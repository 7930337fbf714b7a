#include "app/start.h"

#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_splash.h"

#include <chrono>
#include <exception>

namespace {

const QString kApp = QStringLiteral("Bandwright");
const QString kDefaultConnection =
    QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;");

} // namespace

int Main() {
    using namespace std::chrono_literals;
    const platform::Duration minimumSplash = 3s;
    platform::Clock& clock = platform::clock();
    const platform::Duration start = clock.now();

    try {
        frmSplash& splash = splashForm();
        splash.setTop(2000);
        splash.setLeft(2000);
        splash.show();
        splash.Refresh();

        FillTables();
        FillHelpTables();

        // Elapsed time on the monotonic clock: midnight or a changed wall
        // clock make no difference. No input is processed while waiting.
        for (platform::Duration elapsed = clock.now() - start; elapsed < minimumSplash;
             elapsed = clock.now() - start)
            clock.sleepFor(minimumSplash - elapsed);

        if (splashLoaded()) splashForm().Unload();

        gConnect =
            platform::GetSetting(kApp, "StartUp", "Connection", kDefaultConnection).toStdString();
        platform::SaveSetting(kApp, "StartUp", "Connection", QString::fromStdString(gConnect));

        mainWindow().Show();
    } catch (const std::exception& e) {
        if (splashLoaded()) splashForm().Unload();
        platform::MsgBox(QStringLiteral("Bandwright cannot start.\n\n") +
                             QString::fromUtf8(e.what()),
                         platform::vbCritical);
        return 1;
    }
    return 0;
}
