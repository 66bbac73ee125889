#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "platform/services.h"

namespace vezedo::platform {

// What every function of the program runs on: the graphics objects and the desktop
// services. The front end supplies real services; tests and headless tools scripted ones.
struct Runtime {
    Runtime(DialogService& dialogService, MessageService& messageService, ConsoleService& consoleService,
            ProgressService& progressService = silentProgress())
        : dialogs(dialogService), messages(messageService), console(consoleService), progress(progressService)
    {
    }

    GraphicsModel graphics;
    DialogService& dialogs;
    MessageService& messages;
    ConsoleService& console;
    ProgressService& progress;
    // The control whose callback is running, if any.
    std::optional<Handle> callbackObject;
    // Folders searched for window layout files named without a folder, in order.
    std::vector<std::string> layoutFolders;
};

}  // namespace vezedo::platform
