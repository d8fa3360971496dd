#pragma once

// The program's resource numbers by name: the texts of the string table, the icons, the menu, the controls
// of the windows and dialogs, and the menu commands. The numbers stay as they were, because object names
// such as "ctl1004" and "action32778" are made from them.

namespace StringId {
inline constexpr int AboutMenu = 101;
inline constexpr int UpdateSetError = 102;
inline constexpr int SaveSetError = 103;
inline constexpr int RunSetQuestion = 104;
inline constexpr int RunSetError = 105;
inline constexpr int DeleteSetQuestion = 106;
inline constexpr int DeleteSetError = 107;
inline constexpr int RequiredFieldEmpty = 108;
inline constexpr int ProgramsFilter = 109;
inline constexpr int SetNameColumn = 110;
inline constexpr int SetPathColumn = 111;
inline constexpr int RestartProgram = 113;
inline constexpr int SetNameTaken = 114;
inline constexpr int DeleteOldFilesQuestion = 115;
inline constexpr int UpdateAllQuestion = 116;
inline constexpr int PickFolderTitle = 117;
inline constexpr int FullArchivingName = 118;
inline constexpr int IncrementalArchivingName = 119;
inline constexpr int NewSetTitle = 120;
inline constexpr int MirrorCopyingName = 121;
inline constexpr int Ready = 122;
inline constexpr int Working = 123;
inline constexpr int Copying = 124;
inline constexpr int UpdateLocationQuestion = 125;
inline constexpr int FirefoxMissing = 127;
inline constexpr int SetFailed = 130;
inline constexpr int SevenZipMissing = 131;
inline constexpr int RsyncMissing = 132;
inline constexpr int SourceMissing = 133;
inline constexpr int ToolExitCode = 134;
inline constexpr int ToolNotRun = 135;
inline constexpr int ArchiveNotPlaced = 136;
inline constexpr int ExclusionListNotWritten = 137;
inline constexpr int PathNotFull = 138;
inline constexpr int MirrorInsideSource = 139;
inline constexpr int AlreadyRunning = 140;
inline constexpr int SetsFailed = 141;
inline constexpr int SetGone = 142;
inline constexpr int NoArchiveWritten = 143;
inline constexpr int ViewLogHint = 144;
inline constexpr int ArchiveNameUnusable = 145;
inline constexpr int EnterInteger = 146;
inline constexpr int SetNameUnusable = 147;
inline constexpr int EmptySourceQuestion = 148;
inline constexpr int SourceEmpty = 149;
inline constexpr int DestinationMissing = 150;
inline constexpr int SourceVanished = 151;
inline constexpr int ToolKilled = 160;
inline constexpr int NothingArchived = 161;
inline constexpr int TypeOrLevelInvalid = 162;
inline constexpr int FilesUnreadable = 163;
inline constexpr int SevenZipWarnings = 164;
inline constexpr int SetMadeWithWarnings = 165;
inline constexpr int FilesVanished = 166;
inline constexpr int SetsMadeWithWarnings = 167;
inline constexpr int OutputBytesLeftOut = 171;
inline constexpr int OutputNotKept = 172;
inline constexpr int LogCharactersLeftOut = 173;
inline constexpr int CharactersLeftOut = 174;
inline constexpr int NotRegularFile = 180;
inline constexpr int NameNotUtf8 = 181;
inline constexpr int NameNotSetName = 182;
inline constexpr int FileUnreadable = 183;
inline constexpr int FileNotLoaded = 184;
inline constexpr int RunStopped = 190;
inline constexpr int RunTimedOut = 191;
inline constexpr int FilesNotSaved = 201;
inline constexpr int ResultDone = 240;
inline constexpr int ResultWarnings = 241;
inline constexpr int ResultWarningsCounted = 242;
inline constexpr int ResultFailed = 243;
inline constexpr int ResultStopped = 244;
inline constexpr int ResultStoppedWhy = 245;
inline constexpr int ResultNotRun = 246;
inline constexpr int SizeWritten = 249;
inline constexpr int DurationSeconds = 250;
inline constexpr int DurationMinutesSeconds = 251;
inline constexpr int DurationHoursMinutes = 252;
inline constexpr int SizeBytes = 253;
inline constexpr int SizeKilobytes = 254;
inline constexpr int SizeMegabytes = 255;
inline constexpr int SizeGigabytes = 256;
inline constexpr int SizeTerabytes = 257;
inline constexpr int NeverRun = 258;
inline constexpr int WordDone = 259;
inline constexpr int WordWarnings = 260;
inline constexpr int WordFailed = 261;
inline constexpr int WordNotRun = 263;
inline constexpr int StoppedStatus = 264;
inline constexpr int StopAndCloseQuestion = 265;
inline constexpr int SetOfSets = 266;
inline constexpr int LastSuccessColumn = 268;
inline constexpr int ResultColumn = 269;
inline constexpr int NothingOpens = 270;
inline constexpr int NoOldFiles = 273;
inline constexpr int FilesNotDeleted = 274;
inline constexpr int NeverSucceeded = 275;
inline constexpr int PerSecond = 276;
inline constexpr int DurationMinutes = 277;
inline constexpr int TimeLeft = 279;
inline constexpr int LogStartLeftOut = 280;
inline constexpr int RunNotFinished = 281;
inline constexpr int RsyncLocationUnusable = 282;
// Restoring a backup.
inline constexpr int RestoreTargetNotEmpty = 300;
inline constexpr int RestoreTargetNotFolder = 301;
inline constexpr int RestoreNoPoint = 302;
inline constexpr int RestorePathUnusable = 303;
inline constexpr int RestorePathMissing = 304;
inline constexpr int RestoreFolderNotMade = 305;
inline constexpr int RestoreNotPlaced = 306;
inline constexpr int RestoreZipNoDeletions = 307;
inline constexpr int RestoreListFailed = 308;
inline constexpr int RestoreNoArchive = 309;
inline constexpr int RestoreLinkNotMade = 310;
inline constexpr int RestoreMirrorMissing = 311;
inline constexpr int RestoreStopped = 312;
inline constexpr int RestoreTimedOut = 313;
inline constexpr int RestoreToolFailed = 314;
inline constexpr int RestoreSourceMissing = 315;
inline constexpr int RestoreSourceNotFolder = 316;
inline constexpr int RestoreNotPutBack = 317;
inline constexpr int NoRestorePoints = 330;
inline constexpr int NoPointAsOf = 331;
inline constexpr int NoVersions = 333;
inline constexpr int RestoreHeading = 334;
// The restore dialog.
inline constexpr int RestoredFiles = 350;
inline constexpr int RestoreTargetNotFull = 351;
inline constexpr int RestoreNotDone = 352;
inline constexpr int SetImported = 353;
inline constexpr int ArchivesFilter = 354;
inline constexpr int RestoreOverQuestion = 355;
inline constexpr int RestoredOver = 356;
inline constexpr int OriginalNeedsSet = 357;
// The destination's disk and its free space, checked before a run.
inline constexpr int DestinationNotOnDisk = 380;
inline constexpr int UseDiskFoundQuestion = 381;
inline constexpr int DestinationDiskNotRecorded = 382;
inline constexpr int SpaceTooShort = 383;
// Testing archives: after a run and on demand.
inline constexpr int NewArchiveNotGood = 400;
inline constexpr int TestExitCode = 401;
inline constexpr int TestKilled = 402;
inline constexpr int TestNotRun = 403;
inline constexpr int ResultVerified = 404;
inline constexpr int FullArchiveMissingNote = 405;
inline constexpr int FullArchiveBrokenNote = 406;
inline constexpr int VerifyMirror = 407;
inline constexpr int VerifyNoArchive = 408;
inline constexpr int ArchiveGood = 409;
inline constexpr int ArchiveNotGood = 410;
inline constexpr int ArchiveMissing = 411;
inline constexpr int ArchivesGood = 412;
inline constexpr int VerifyFailed = 413;
inline constexpr int LastVerified = 414;
inline constexpr int NeverVerified = 415;
inline constexpr int SetDoneWithNote = 416;
// Schedules: their words, and keeping the systemd timers in step.
inline constexpr int ScheduleManual = 430;
inline constexpr int ScheduleHourly = 431;
inline constexpr int ScheduleDaily = 432;
inline constexpr int ScheduleWeekly = 433;
inline constexpr int ScheduleDailyAt = 434;
inline constexpr int ScheduleWeeklyAt = 435;
inline constexpr int NoSystemdUser = 436;
inline constexpr int ScheduleFileNotWritten = 437;
inline constexpr int ScheduleFileNotRemoved = 438;
inline constexpr int SystemctlFailed = 439;
inline constexpr int NoNextRun = 440;
// The days of the week, Monday first.
inline constexpr int Monday = 441;
inline constexpr int Tuesday = 442;
inline constexpr int Wednesday = 443;
inline constexpr int Thursday = 444;
inline constexpr int Friday = 445;
inline constexpr int Saturday = 446;
inline constexpr int Sunday = 447;
// Backups that stopped happening: the desktop notification of an unattended run, overdue sets, --check.
inline constexpr int WordOverdue = 460;
inline constexpr int NoticeSetFailed = 461;
inline constexpr int NoticeSetWarnings = 462;
inline constexpr int NoticeSetsFailed = 463;
inline constexpr int NoticeShowLog = 464;
inline constexpr int OverdueSince = 465;
inline constexpr int OverdueNeverSucceeded = 466;
inline constexpr int FailedSince = 467;
inline constexpr int NoticeCheckSummary = 468;
inline constexpr int OverdueStatus = 469;
// Encrypted sets.
inline constexpr int PasswordNotGiven = 470;
inline constexpr int WrongPasswordFor = 471;
inline constexpr int PasswordChangedNote = 472;
inline constexpr int ArchiveNotEncryptedNote = 473;
inline constexpr int ArchiveNeedsPassword = 474;
inline constexpr int WordWrongPassword = 475;
inline constexpr int ZipPasswordNotAscii = 476;
inline constexpr int PasswordHasLineBreak = 477;
// Where velmora-run found no password for an encrypted set, and why it refuses a password file.
inline constexpr int KeyringHasNoPassword = 490;
inline constexpr int KeyringLockedOrMissing = 491;
inline constexpr int PasswordFileUnreadable = 492;
inline constexpr int PasswordFileIsLink = 493;
inline constexpr int PasswordFileNotRegular = 494;
inline constexpr int PasswordFileNotOwned = 495;
inline constexpr int PasswordFileOpenToGroup = 496;
inline constexpr int PasswordFileOpenToOthers = 497;
inline constexpr int PasswordFileEmpty = 498;
// Encrypted sets in the window: the properties' password rules, the keyring, the password question.
inline constexpr int PasswordsDiffer = 500;
inline constexpr int PasswordLineBreak = 501;
inline constexpr int PasswordMissing = 502;
inline constexpr int PasswordChangedNewChain = 503;
inline constexpr int EncryptionOnNewChain = 504;
inline constexpr int EncryptionOffNewChain = 505;
inline constexpr int KeyringSessionOnly = 506;
inline constexpr int KeyringDeleteFailed = 507;
inline constexpr int NoPasswordGiven = 508;
inline constexpr int SevenZipNamesHidden = 509;
inline constexpr int ZipNamesVisible = 510;
inline constexpr int ZipPasswordLetters = 511;
// Off-site copies: why a step failed, in words. %1 is the destination or a file, as the text says.
inline constexpr int OffsiteHostKeyUnknown = 520;
inline constexpr int OffsiteHostKeyChanged = 521;
inline constexpr int OffsiteUnreachable = 522;
inline constexpr int OffsiteLoginRefused = 523;
inline constexpr int OffsiteNoSpace = 524;
inline constexpr int OffsiteToolMissing = 525;
inline constexpr int OffsiteRemoteUnknown = 526;
inline constexpr int OffsiteNotWritable = 527;
inline constexpr int OffsiteMismatch = 528;
inline constexpr int OffsiteMirrorUnsafe = 529;
inline constexpr int OffsiteMirrorNeedsSsh = 530;
inline constexpr int OffsiteToolFailed = 531;
inline constexpr int OffsiteStopped = 532;
inline constexpr int OffsiteTimedOut = 533;
inline constexpr int OffsiteNoFullArchive = 534;
inline constexpr int OffsiteRemoteRsyncMissing = 535;
inline constexpr int OffsiteNotOfSet = 537;
inline constexpr int OffsiteFetchSize = 538;
inline constexpr int OffsiteMirrorNoName = 539;
inline constexpr int OffsiteToolKilled = 540;
inline constexpr int OffsiteNotThere = 541;
// Off-site destinations: what is wrong with one as typed.
inline constexpr int OffsiteUnknownForm = 560;
inline constexpr int OffsiteBadUser = 561;
inline constexpr int OffsiteBadHost = 562;
inline constexpr int OffsiteBadPort = 563;
inline constexpr int OffsiteNoPath = 564;
inline constexpr int OffsiteBadRemote = 565;
inline constexpr int OffsiteControlLetters = 566;
// Off-site copies in results, progress and the list.
inline constexpr int ResultOffsiteFailed = 567;
inline constexpr int ResultCopiedOffsite = 568;
inline constexpr int SetNotCopiedOffsite = 569;
inline constexpr int SetsNotCopiedOffsite = 570;
inline constexpr int CopyingOffsite = 571;
inline constexpr int WordOffsiteFailed = 572;
inline constexpr int OffsiteFailedAt = 573;
inline constexpr int NoticeSetNotOffsite = 575;
inline constexpr int OffsiteNoneToTest = 576;
inline constexpr int OffsiteTesting = 577;
inline constexpr int OffsiteTestPassed = 578;
inline constexpr int SetHasNoOffsite = 579;
inline constexpr int NoOffsiteArchives = 580;
inline constexpr int FetchingOffsite = 581;
inline constexpr int FetchOffsiteQuestion = 582;
inline constexpr int OffsiteFetched = 583;
inline constexpr int OffsiteNotFetched = 584;
inline constexpr int OffsiteClash = 585;
// Files planted in a destination, set names and password files that cannot be taken.
inline constexpr int DestinationMarkerIsLink = 720;
inline constexpr int DestinationMarkerNotFile = 721;
inline constexpr int SetNameHasControlCharacters = 722;
inline constexpr int PasswordFileTooLarge = 723;
inline constexpr int PasswordLineTooLong = 724;
inline constexpr int MirrorFolderForeignLink = 725;

// Restoring safely: refused and unwritten entries.
inline constexpr int RestoreEntryRefused = 600;
inline constexpr int RestoreEntryNotWritten = 601;
inline constexpr int RestoreLinkNameUnknown = 602;
inline constexpr int RestoreMoreNotRestored = 603;
inline constexpr int RestoreEntryRefusedShort = 604;
inline constexpr int PointRefusedEntry = 605;
inline constexpr int RestoreLinkUnreadable = 606;

// An archive's destination inside its source, and damaged copies off site.
inline constexpr int ArchiveDestinationInSource = 630;
inline constexpr int OffsiteFolderInSource = 631;
inline constexpr int OffsiteDamaged = 632;
inline constexpr int OffsiteDamagedHere = 633;
inline constexpr int OffsiteFetchDamaged = 634;
// Archive runs: a chain's full archive that could not be tested, old chains kept, files left out or changed.
inline constexpr int ChainBaseNotTested = 660;
inline constexpr int OldChainKept = 661;
inline constexpr int SpecialFilesLeftOut = 662;
inline constexpr int FilesChangedWhileRead = 663;
inline constexpr int SpecialFileUnsafeName = 664;
// Mirror runs that changed the mirror before they failed, and files rsync could not copy.
inline constexpr int MirrorToolFailedChanged = 665;
inline constexpr int MirrorToolKilledChanged = 666;
inline constexpr int MirrorStoppedChanged = 667;
inline constexpr int MirrorTimedOutChanged = 668;
inline constexpr int RsyncFilesNotCopied = 669;
inline constexpr int RsyncPartialTransfer = 670;

// Kept run logs bounded in size.
inline constexpr int KeptLogOutputCutBegins = 690;
inline constexpr int KeptLogErrorsCutBegins = 691;
inline constexpr int KeptLogOutputCutEnds = 692;
inline constexpr int KeptLogErrorsCutEnds = 693;
inline constexpr int OutputBytesLeftOutOfKeptLog = 694;
inline constexpr int CharactersLeftOutOfKeptLog = 695;

// Options and Remove Old Files: questions that name what they change or delete.
inline constexpr int RemoveBackupsQuestion = 770;
inline constexpr int RemoveBackupsPoints = 771;
inline constexpr int RemoveBackupsOnePoint = 772;
inline constexpr int RemoveBackupsUpdatesOnly = 773;
inline constexpr int RemoveBackupsKeptChains = 774;
inline constexpr int RemoveBackupsNoneLeft = 775;
inline constexpr int EveryDestinationQuestion = 776;
inline constexpr int OneDestinationQuestion = 777;
inline constexpr int EveryDestinationKeepsArchives = 778;
inline constexpr int EveryDestinationMoreSets = 779;
inline constexpr int EveryDestinationOnOk = 780;
inline constexpr int DefaultLocationEmpty = 781;
inline constexpr int DefaultLocationRelative = 782;
inline constexpr int DefaultLocationMissing = 783;
inline constexpr int NoSetsToChange = 784;
inline constexpr int EverySetAlreadyThere = 785;
inline constexpr int CopiesToKeepNegative = 786;
inline constexpr int SettingReadAsDefault = 787;
// Scheduled runs of encrypted sets and their password, and a new chain after a password change.
inline constexpr int ScheduledPasswordKeyringLocked = 820;
inline constexpr int ScheduledPasswordNoKeyring = 821;
inline constexpr int ScheduledPasswordNotInKeyring = 822;
inline constexpr int ScheduledPasswordFileRefused = 823;
inline constexpr int ScheduledPasswordsUnreachable = 824;
inline constexpr int PasswordFileNotAbsolute = 825;
inline constexpr int PasswordFileRefusedHere = 826;
inline constexpr int PasswordFileHoldsAnother = 827;
inline constexpr int NewChainNotePassword = 828;
inline constexpr int NewChainNoteEncryptOn = 829;
inline constexpr int NewChainNoteEncryptOff = 830;
// Stopping a run, and a wrong password asked again.
inline constexpr int StopBackupQuestion = 800;
inline constexpr int StopVerifyQuestion = 801;
inline constexpr int StopRestoreQuestion = 802;
inline constexpr int StopFetchQuestion = 803;
inline constexpr int RunStoppedNothingBefore = 804;
inline constexpr int RunTimedOutNothingBefore = 805;
inline constexpr int SetStopped = 806;
inline constexpr int SetsStopped = 807;
inline constexpr int PasswordTryAgain = 808;
inline constexpr int StopVerifyAndCloseQuestion = 809;

// A restore over the source that puts what it replaces into the trash.
inline constexpr int RestoreNotTrashed = 740;
inline constexpr int RestoreLeftInTrash = 741;
inline constexpr int RestoreTrashedNote = 742;
inline constexpr int RestoreOverTrashQuestion = 743;
inline constexpr int RestoreOverReplacedHeading = 744;
inline constexpr int RestoreOverOthersHeading = 745;
inline constexpr int RestoreNamesMore = 746;
inline constexpr int RestoreRemoveOthersChoice = 747;
inline constexpr int RestoredOverTrash = 748;
inline constexpr int RestoreTrashUnusable = 749;
inline constexpr int ShowAllNames = 750;
// The history a set keeps: its retention policy in words, why a point is kept, its points in the window.
inline constexpr int RetentionPointsSentence = 935;
inline constexpr int RetentionVersionsSentence = 936;
inline constexpr int RetentionOnlyNewestPoint = 937;
inline constexpr int RetentionOnlyNewestVersions = 938;
inline constexpr int RetentionLast = 939;
inline constexpr int RetentionHourly = 940;
inline constexpr int RetentionDaily = 941;
inline constexpr int RetentionWeekly = 942;
inline constexpr int RetentionMonthly = 943;
inline constexpr int RetentionYearly = 944;
inline constexpr int RetentionListAnd = 945;
inline constexpr int KeepReasonNewest = 946;
inline constexpr int KeepReasonPinned = 947;
inline constexpr int KeepReasonLast = 948;
inline constexpr int KeepReasonHourly = 949;
inline constexpr int KeepReasonDaily = 950;
inline constexpr int KeepReasonWeekly = 951;
inline constexpr int KeepReasonMonthly = 952;
inline constexpr int KeepReasonYearly = 953;
inline constexpr int KeepReasonChain = 954;
inline constexpr int KeepReasonNone = 955;
inline constexpr int SetPointsLine = 956;
inline constexpr int SetNoPointsLine = 957;
inline constexpr int MirrorVersionsLine = 958;
inline constexpr int MirrorNoVersionsLine = 959;
inline constexpr int PinNotSaved = 960;
// Thinning the history and the runs that do it.
inline constexpr int HistoryPruneFailed = 875;
inline constexpr int SpaceOldestPoints = 876;

// A mirror's kept versions, and the off-site copy of a set's history.
inline constexpr int MirrorHistoryNotFolder = 910;
inline constexpr int MirrorVersionFolderNotMade = 911;
// Restoring across the kept chains
inline constexpr int ChainNeedsEarlierPassword = 850;
inline constexpr int ChainPasswordQuestion = 851;
inline constexpr int ChainPointLocked = 852;
inline constexpr int ChainPointUnreadable = 853;
inline constexpr int RestorePointsChanged = 854;
// velmora-run's own sentences: its usage, errors, questions and summaries.
inline constexpr int RunNoSets = 1220;
inline constexpr int RunUnknownSets = 1221;
inline constexpr int RunSeeHelp = 1222;
inline constexpr int RunHelpText = 1223;
inline constexpr int UsagePasswordFileNeedsFile = 1224;
inline constexpr int UsagePasswordFileNotHere = 1225;
inline constexpr int UsageFromOffsite = 1226;
inline constexpr int UsageToOriginal = 1227;
inline constexpr int UsageRemoveOthers = 1228;
inline constexpr int UsageCheck = 1229;
inline constexpr int UsageTakesNothingMore = 1230;
inline constexpr int UsagePrune = 1231;
inline constexpr int UsagePin = 1232;
inline constexpr int UsageGivenTwice = 1233;
inline constexpr int UsageVerify = 1234;
inline constexpr int UsageVerifyAllNames = 1235;
inline constexpr int UsageVerifyNoSets = 1236;
inline constexpr int UsageToAsOf = 1237;
inline constexpr int UsageCannotGoTogether = 1238;
inline constexpr int UsageTakesNoRunOptions = 1239;
inline constexpr int UsageAcceptDestination = 1240;
inline constexpr int UsageNeedsName = 1241;
inline constexpr int UsageVersions = 1242;
inline constexpr int UsageNoFileInSource = 1243;
inline constexpr int UsageToAndToOriginal = 1244;
inline constexpr int UsageNeedsTo = 1245;
inline constexpr int UsageToAsOfOnce = 1246;
inline constexpr int UsageAsOf = 1247;
inline constexpr int UsageNothingInSource = 1248;
inline constexpr int UsageList = 1249;
inline constexpr int UsageAllNames = 1250;
inline constexpr int UsageNoSets = 1251;
inline constexpr int RunListFileHolds = 1252;
inline constexpr int RunOldChainKept = 1253;
inline constexpr int RunFolderCreated = 1254;
inline constexpr int RunSummary = 1255;
inline constexpr int RunSummaryWarnings = 1256;
inline constexpr int RunSummaryNotRun = 1257;
inline constexpr int RunSummaryNotOffsite = 1258;
inline constexpr int RunSummaryStopped = 1259;
inline constexpr int RunStoppedBeforeAny = 1260;
inline constexpr int RunHeadingVerify = 1261;
inline constexpr int RunHeadingDryRun = 1262;
inline constexpr int RunWaitingForLock = 1263;
inline constexpr int RunThenOffsite = 1264;
inline constexpr int RunUnknownSetNothingChanged = 1265;
inline constexpr int RunDestinationAccepted = 1266;
inline constexpr int RunLockBusyNothingRun = 1267;
inline constexpr int RunLockBusyNothingTested = 1268;
inline constexpr int RunUnknownSet = 1269;
inline constexpr int RunPathOutsideSource = 1270;
inline constexpr int RunPathOutsideNoSource = 1271;
inline constexpr int RunLockBusyNothingRemoved = 1272;
inline constexpr int RunNotRemoved = 1273;
inline constexpr int RunNoSuchStamp = 1274;
inline constexpr int RunNoSuchPoint = 1275;
inline constexpr int RunSetFileNotWritten = 1276;
inline constexpr int RunPointPinned = 1277;
inline constexpr int RunPointUnpinned = 1278;
inline constexpr int RunAnsweredCancel = 1279;
inline constexpr int RunAnsweredYes = 1280;
inline constexpr int RunAnsweredNo = 1281;
inline constexpr int RunProgressOffsite = 1282;
inline constexpr int RunProgressOf = 1283;
inline constexpr int RunProgressLeft = 1284;
inline constexpr int RunNoticeNoBus = 1285;
inline constexpr int RunNoticeBusUnreachable = 1286;
inline constexpr int RunNoticeFailed = 1287;
inline constexpr int RunNoticeClickLost = 1288;
// The process runner: quiet runs and output kept in no file, and the restore dialog reading its archives.
inline constexpr int OutputBytesLeftOutNoFile = 1300;
inline constexpr int QuietRunTimedOut = 1301;
inline constexpr int QuietRunStopped = 1302;
inline constexpr int ListingTooLong = 1303;
inline constexpr int ReadingRestorePoints = 1304;
} // namespace StringId

namespace IconId {
inline constexpr int Program = 128;
inline constexpr int FullSevenZip = 141;
inline constexpr int FullZip = 142;
inline constexpr int IncrementalZip = 143;
inline constexpr int IncrementalSevenZip = 144;
inline constexpr int Mirror = 150;
} // namespace IconId

namespace MenuId {
inline constexpr int MainMenu = 134;
} // namespace MenuId

// Each dialog numbers its controls on its own, so one number can name controls of several dialogs.
namespace ControlId {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;

// The main window.
inline constexpr int SetList = 1000;
inline constexpr int NewButton = 1001;
inline constexpr int PropertiesButton = 1002;
inline constexpr int RunButton = 1003;
inline constexpr int UpdateAllButton = 1004;
inline constexpr int DeleteButton = 1014;
inline constexpr int ViewLogButton = 1039;
inline constexpr int Progress = 1046;
inline constexpr int StopButton = 1047;

// The log viewer and the about box.
inline constexpr int LogText = 1045;
inline constexpr int LogRuns = 1047;
inline constexpr int OpenWholeLog = 1048;
inline constexpr int HelpLink = 1016;

// The restore dialog.
inline constexpr int RestorePoints = 1050;
inline constexpr int RestoreTree = 1051;
inline constexpr int FileVersions = 1052;
inline constexpr int RestoreNote = 1053;
inline constexpr int RestoreTarget = 1054;
inline constexpr int BrowseRestoreTarget = 1055;
inline constexpr int RestoreOriginal = 1056;
inline constexpr int RestoreProgress = 1057;
inline constexpr int ImportSet = 1058;
inline constexpr int RestoreStop = 1059;
inline constexpr int RestoreButton = 1060;

// The set's properties.
inline constexpr int SetName = 1004;
inline constexpr int BrowseSource = 1005;
inline constexpr int Source = 1006;
inline constexpr int Destination = 1007;
inline constexpr int BrowseDestination = 1008;
inline constexpr int ExcludedTypes = 1009;
inline constexpr int AddType = 1010;
inline constexpr int AddPath = 1011;
inline constexpr int ArchiveName = 1012;
inline constexpr int RemoveType = 1013;
inline constexpr int ExcludedPaths = 1014;
inline constexpr int RemovePath = 1015;
inline constexpr int ArchiveNameFromSetName = 1016;
inline constexpr int ArchiveType = 1019;
inline constexpr int CompressionLevel = 1020;
inline constexpr int Solid = 1021;
inline constexpr int BackupType = 1024;
inline constexpr int CustomSource = 1039;
inline constexpr int ZipDeletionsNote = 1040;
inline constexpr int AcceptDestinationDisk = 1041;
inline constexpr int VerifyArchive = 1044;
inline constexpr int Schedule = 1070;
inline constexpr int ScheduleTime = 1071;
inline constexpr int ScheduleDay = 1072;
inline constexpr int ScheduleCatchUp = 1073;
inline constexpr int EncryptArchive = 1090;
inline constexpr int ArchivePassword = 1091;
inline constexpr int ArchivePasswordAgain = 1092;
inline constexpr int EncryptionNote = 1093;
// What a password change or encryption turned on or off does to the archives made so far.
inline constexpr int NewChainNote = 1140;
// The password file a timer's run of an encrypted set takes its password from.
inline constexpr int PasswordFile = 1141;

// The question for an encrypted set's password.
inline constexpr int PasswordQuestion = 1094;
inline constexpr int QuestionPassword = 1095;
inline constexpr int RememberPassword = 1096;
// The set's off-site destination and its test.
inline constexpr int Offsite = 1097;
inline constexpr int TestOffsite = 1098;
inline constexpr int OffsiteAnswer = 1099;
// Why the password is asked again: the one given did not open the archives.
inline constexpr int PasswordProblem = 1130;

// The options.
inline constexpr int DefaultLocation = 1007;
inline constexpr int RsyncLocation = 1008;
inline constexpr int BrowseDefaultLocation = 1014;
inline constexpr int BrowseRsyncLocation = 1015;
inline constexpr int DefaultCompressionLevel = 1020;
inline constexpr int DefaultArchiveType = 1024;
inline constexpr int CopiesToKeep = 1034;
inline constexpr int UpdateAllLocations = 1039;
inline constexpr int ManualOverdueDays = 1080;

// The exclusion entries.
inline constexpr int ExcludedTypeEntry = 1012;
inline constexpr int BrowseExcludedPath = 1014;
inline constexpr int ExcludedPathEntry = 1015;

// The history a set keeps: the six counts of its retention policy (in the options and the set's properties),
// what they keep in words, and the restore dialog's box that keeps a point for ever.
inline constexpr int KeepLast = 1150;
inline constexpr int KeepHourly = 1151;
inline constexpr int KeepDaily = 1152;
inline constexpr int KeepWeekly = 1153;
inline constexpr int KeepMonthly = 1154;
inline constexpr int KeepYearly = 1155;
inline constexpr int RetentionGroup = 1156;
inline constexpr int RetentionDescription = 1157;
inline constexpr int KeepForever = 1158;
// The options' days between tests of a chain's full archive.
inline constexpr int FullArchiveTestDays = 1200;
} // namespace ControlId

namespace CommandId {
inline constexpr int New = 32771;
inline constexpr int Exit = 32772;
inline constexpr int About = 32774;
inline constexpr int Properties = 32775;
inline constexpr int Delete = 32776;
inline constexpr int Options = 32777;
inline constexpr int Run = 32778;
inline constexpr int Russian = 32783;
inline constexpr int English = 32784;
inline constexpr int RemoveOldFiles = 32789;
inline constexpr int OpenLocation = 32790;
inline constexpr int Help = 32804;
inline constexpr int UpdateAll = 32812;
inline constexpr int Stop = 32813;
inline constexpr int Restore = 32814;
inline constexpr int RestoreFromFolder = 32815;
inline constexpr int Verify = 32816;

// The custom sources of the set's properties.
inline constexpr int ApplicationData = 32797;
inline constexpr int Documents = 32798;
inline constexpr int Pictures = 32799;
inline constexpr int Music = 32800;
inline constexpr int Desktop = 32802;
inline constexpr int Home = 32803;
inline constexpr int FirefoxProfile = 32807;
} // namespace CommandId
