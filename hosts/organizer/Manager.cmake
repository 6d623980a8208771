# The extension manager: see ExtensionList.h and ExtensionManager.h.
