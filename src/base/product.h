// The plug-in's own names and the files of its folder, for the plug-in, the
// stand-in host that installs it and the tools that drive it.
#pragma once

#include <string>
#include <string_view>

#include "base/file_system.h"

namespace lirvo {

// The product: the title of the plug-in's message boxes and the name on the
// root of the Config.xml an installation starts with.
inline constexpr const char* kProductName = "Clinora - Referti Lirvo";
// The caption of the plug-in's ribbon tab and of its child window.
inline constexpr const char* kTabCaption = "Referti Lirvo";

// The files in the plug-in's folder.
inline constexpr const char* kConfigFileName = "Config.xml";
inline constexpr const char* kTranscodingFileName = "TrascodificaLirvo.xml";
inline constexpr const char* kStylesFolderName = "Styles";

// The summaries the plug-in keeps in the documents folder: the last run's
// imports not yet read, the ones already read, and the reports it skipped
// because they were already in the charts.
inline constexpr const char* kUnreadSummaryFile = "lastUnReadImport.rtf";
inline constexpr const char* kReadSummaryFile = "lastReadImport.rtf";
inline constexpr const char* kSkippedSummaryFile = "allReadyImported.rtf";

// The keys of the nine ribbon commands, in registry order. The host issues
// each an identifier at run time (the command registry's IDService).
inline constexpr std::string_view kKeyMain = "RefertiLirvo.main";
inline constexpr std::string_view kKeySetup = "RefertiLirvo.main.setup";
inline constexpr std::string_view kKeyStorico = "RefertiLirvo.referti.storico";
inline constexpr std::string_view kKeyImporta = "RefertiLirvo.referti.importa";
inline constexpr std::string_view kKeyRinuncia = "RefertiLirvo.referti.rinuncia";
inline constexpr std::string_view kKeyStampa = "RefertiLirvo.referti.stampa";
inline constexpr std::string_view kKeyLast = "RefertiLirvo.referti.last";
inline constexpr std::string_view kKeyLastUnread = "RefertiLirvo.referti.lastUNREAD";
inline constexpr std::string_view kKeyLastDouble = "RefertiLirvo.referti.lastDOUBLE";
inline constexpr std::string_view kCommandKeys[] = {kKeyMain,    kKeySetup,      kKeyStorico,
                                                    kKeyImporta, kKeyRinuncia,   kKeyStampa,
                                                    kKeyLast,    kKeyLastUnread, kKeyLastDouble};

// The ribbon icons in the Styles folder, one per command.
inline constexpr const char* kIconMain = "RefertiLirvo.png";
inline constexpr const char* kIconStorico = "REFRecived.png";
inline constexpr const char* kIconImporta = "REFImport.png";
inline constexpr const char* kIconRinuncia = "REFClear.png";
inline constexpr const char* kIconStampa = "REFPrint.png";
inline constexpr const char* kIconLast = "REFLast.png";
inline constexpr const char* kIconLastUnread = "REFLastUnRead.png";
inline constexpr const char* kIconLastDouble = "REFLastDouble.png";
inline constexpr const char* kIconSetup = "REFConfig.png";
inline constexpr const char* kIconNames[] = {
    kIconMain, kIconStorico,    kIconImporta,    kIconRinuncia, kIconStampa,
    kIconLast, kIconLastUnread, kIconLastDouble, kIconSetup,
};

// The Styles folder of the plug-in folder `plugin_folder` (no trailing
// separator), and the path of one icon in it.
inline std::string StylesFolder(std::string_view plugin_folder) {
  return JoinPath(plugin_folder, kStylesFolderName);
}
inline std::string StylesPath(std::string_view plugin_folder, std::string_view icon) {
  return JoinPath(StylesFolder(plugin_folder), icon);
}

}  // namespace lirvo
