// Command numbers: every menu item, shortcut and request from another program reaches the
// frame as one of these and is dispatched through the command table.
#pragma once

namespace velt {

enum : unsigned {
    // File
    kCmdNewFile = 1101,
    kCmdOpen = 1102,
    kCmdSave = 1103,
    kCmdSaveAs = 1104,
    kCmdPrint = 1105,
    kCmdQuit = 1106,
    kCmdAbout = 1107,
    kCmdSetReadOnly = 1108,
    kCmdClose = 1109,
    kCmdInsertFile = 1139,
    kCmdReload = 1151,
    kCmdNewEditorWindow = 1159,
    kCmdSaveAll = 1167,
    kCmdOpenBinary = 1200,

    // Edit
    kCmdUndo = 1110,
    kCmdCut = 1111,
    kCmdCopy = 1112,
    kCmdPaste = 1113,
    kCmdClearClipboard = 1114,
    kCmdCopyToFile = 1126,
    kCmdMarkBlock = 1170,
    kCmdDescribeFunction = 1176,
    kCmdShowChanges = 1177,
    kCmdReformat = 1178,
    kCmdDescribeFile = 1183,
    kCmdSpacesToTabs = 1189,
    kCmdTabsToSpaces = 1190,
    kCmdRecenter = 1191,
    kCmdCopyFunction = 1201,
    kCmdLevel = 1220,
    kCmdWordCompletion = 1280,  // the Esc key

    // Search
    kCmdReplace = 1120,
    kCmdGotoTop = 1121,
    kCmdGotoEnd = 1122,
    kCmdGotoLine = 1123,
    kCmdFindNext = 1135,
    kCmdFindPrevious = 1136,
    kCmdFind = 1137,
    kCmdSetBookmark = 1142,
    kCmdGotoBookmark = 1143,
    kCmdGotoNextBookmark = 1144,
    kCmdDeleteBookmark = 1145,
    kCmdFindInFiles = 1150,
    kCmdSearchDefinition = 1158,
    kCmdFunctionsList = 1168,
    kCmdStructuresList = 1175,
    kCmdSearchId = 1182,
    kCmdIdentifyFile = 1184,
    kCmdSearchFunction = 1185,
    kCmdSymbolUsage = 1204,
    kCmdNextFunction = 1209,
    kCmdPreviousFunction = 1210,
    kCmdHistory = 1310,

    // Project
    kCmdProjectConfiguration = 1119,
    kCmdCloseProject = 1198,
    kCmdOpenProject = 1225,
    kCmdCreateProject = 1229,  // also File > New > Project...
    kCmdAddDeleteFiles = 1231,
    kCmdEraseProject = 1246,
    kCmdWorkspace = 1262,
    kCmdOpenAllFiles = 1276,
    kCmdRecentProjectFirst = 1214,  // the four most recently used projects: 1214 ... 1217
    kCmdRecentProjectLast = 1217,

    // Resources
    kCmdResourceSymbols = 1253,
    kCmdResourceGroup = 1260,
    kCmdNewStrings = 1261,
    kCmdNewAccelerator = 1263,
    kCmdResourceOpen = 1265,
    kCmdResourceShowDirectory = 1450,
    kCmdNewDialog = 1453,
    kCmdNewMenu = 1454,
    kCmdNewIcon = 1455,
    kCmdNewCursor = 1456,
    kCmdNewBitmap = 1457,
    kCmdResourceZoom = 1459,
    kCmdResourceLayoutFirst = 7040,  // Alignment, Spacing, Same size, Buttons: 7040 ... 7051
    kCmdResourceLayoutLast = 7051,
    kCmdResourceConfig = 7053,
    kCmdResourceTest = 7060,
    kCmdResourceOutput = 7066,

    // Compiler
    kCmdMake = 1156,
    kCmdCompilerSettings = 1197,
    kCmdBreakpoints = 1245,
    kCmdGenerateMakefile = 1267,
    kCmdDebugger = 1268,
    kCmdRebuildAll = 1270,
    kCmdLink = 1271,
    kCmdSetBreakpoint = 1273,

    // Utils
    kCmdExecute = 1124,
    kCmdShowIncludes = 1138,
    kCmdShowIfdefs = 1147,
    kCmdUtilitiesList = 1152,
    kCmdDiff = 1161,
    kCmdGenerateHelp = 1169,
    kCmdBrowseFunctionDefs = 1174,
    kCmdFileMetrics = 1179,
    kCmdFunctionMetrics = 1180,
    kCmdWritePrototypes = 1181,
    kCmdSliceByLocal = 1187,
    kCmdShowGlobals = 1193,
    kCmdFileRelations = 1194,
    kCmdFunctionTree = 1195,
    kCmdAudit = 1203,
    kCmdStrings = 1219,
    kCmdProfiler = 1250,
    kCmdApplyPatch = 1251,
    kCmdObjXref = 1257,
    kCmdExecutableStats = 1297,
    kCmdFunctionSizeStats = 1298,
    kCmdUtilityFirst = 1320,  // user utilities 1 ... 13: 1320 ... 1332
    kCmdUtilityLast = 1332,

    // Versions
    kCmdCmsPut = 1222,
    kCmdCmsGet = 1223,
    kCmdCmsGetAll = 1224,
    kCmdCmsSeeLocks = 1226,
    kCmdCmsRevisions = 1227,
    kCmdCmsDifferences = 1232,
    kCmdCmsGetRelease = 1234,
    kCmdCmsSaveRelease = 1235,
    kCmdCmsDefaults = 1236,
    kCmdCmsShowRelease = 1237,
    kCmdCmsPutAll = 1238,
    kCmdCmsSeeLog = 1239,
    kCmdCmsErase = 1240,
    kCmdCmsChangeLocks = 1241,
    kCmdCmsQuery = 1242,
    kCmdCmsSeeOperations = 1243,
    kCmdCmsFunctionHistory = 1244,

    // Window
    kCmdStatistics = 1130,
    kCmdCascade = 1131,
    kCmdTile = 1132,
    kCmdArrangeIcons = 1133,
    kCmdDisposition = 1254,
    kWindowListFirst = 1350,  // the Window menu's document entries, in window order

    // Help
    kCmdHelpIndex = 14000,  // the menu's Index entry
    kCmdHelpIndexDirect = 1247,
    kCmdVersion = 1291,

    // Bound to keys only.
    kCmdKeyF1 = 1296,
    kCmdKeyCtrlF5 = 1295,
    kCmdKeyF11 = 1116,
    kCmdSelectDown = 1115,
    kCmdSelectUp = 1153,
    kCmdSelectRight = 1154,
    kCmdSelectLeft = 1155,
    kCmdWordRight = 1163,
    kCmdWordLeft = 1164,
    kCmdSelectWordRight = 1165,
    kCmdSelectDownRepeat = 1166,  // a second Shift+Down row; the first one wins
    kCmdSelectToTop = 1171,
    kCmdSelectToEnd = 1172,
    kCmdSelectToLineEnd = 1188,
    kCmdSelectToLineStart = 1199,
    kCmdWordRightRepeat = 1207,  // repeat the Ctrl+Right / Ctrl+Left keys; never reached
    kCmdWordLeftRepeat = 1208,
    kCmdSelectPageUp = 1211,
    kCmdSelectPageDown = 1212,
    kCmdSelectWordLeft = 1272,

    // Not in the menu.
    kCmdOpenByName = 1117,       // lParam: the file name
    kCmdFileInformation = 1118,  // position, size, bookmark
    kCmdCloseAll = 1128,
    // Allowed without a document; their owners have not claimed them yet.
    kCmdUnclaimed1127 = 1127,
    kCmdUnclaimed1248 = 1248,

    // Requests of other programs through the shared block "velt".
    kCmdSharedOpenFile = 3501,    // open the file named in the block and maximise it
    kCmdSharedDocument = 3502,    // a request about the current document, keeping the line
    kCmdSharedClientSize = 3503,  // returns (height << 16) | width of the frame's client area

    // While a debug session runs: the function keys arrive as 888 + virtual key (1000 ...
    // 1012) and some become debugger commands; 400 + n opens the source of module n.
    kCmdDebugKeyFirst = 1000,
    kCmdDebugKeyLast = 1012,
    kCmdDebugKeyBase = 888,
    kCmdDebugBreakpoint = 300,
    kCmdDebugRunToCursor = 330,
    kCmdDebugExecute = 340,
    kCmdDebugStepIn = 350,
    kCmdDebugSameLevel = 360,
    kCmdDebugStepOut = 670,
    kCmdDebugModuleFirst = 400,

    // A menu item's status-bar help is the catalogue text of its command + 7000.
    kMenuHelpOffset = 7000,
};

}  // namespace velt
