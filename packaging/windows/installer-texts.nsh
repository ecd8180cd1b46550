; The installer's and uninstaller's own texts in English (1033) and Japanese (1041), beside the
; standard ones of NSIS's language files. In a message, $1 is the folder or file it is about.
; The Japanese follows the launcher and its guide: インストーラ, ユーザ, コンピュータ, フォルダ; buttons
; in ［］; です・ます; every sentence ends with 。.

; Start-menu links: both languages' names are needed to remove them, whatever the language. The
; Japanese guide's link bears its title.
!define TOLV_UNINSTALL_LINK_EN "Uninstall TOLVStrel"
!define TOLV_UNINSTALL_LINK_JA "TOLVStrel のアンインストール"
!define TOLV_GUIDE_LINK_EN "TOLVStrel User Guide (Japanese)"
!define TOLV_GUIDE_LINK_JA "TOLVStrel 使い方ガイド"
; The version information of the installer.
!define TOLV_SETUP_EN "TOLVStrel Setup"
!define TOLV_SETUP_JA "TOLVStrel セットアップ"

LangString TolvUninstallLink ${LANG_ENGLISH} "${TOLV_UNINSTALL_LINK_EN}"
LangString TolvGuideLink ${LANG_ENGLISH} "${TOLV_GUIDE_LINK_EN}"
LangString TolvDescription ${LANG_ENGLISH} "Elasto-plastic finite-displacement analysis software"
LangString TolvPublisher ${LANG_ENGLISH} "${TOLV_MAKER_EN}"
LangString TolvWelcomeText ${LANG_ENGLISH} "Setup will install TOLVStrel, the elasto-plastic \
finite-displacement analysis software, on this computer. TOLVStrel starts the preprocessor, the \
solver and the postprocessor and hands the data of the analysis from one to the next.$\r$\n$\r$\n\
If TOLVStrel is running, please close it before you continue.$\r$\n$\r$\nClick Next to continue."
LangString TolvDirectorySubtitle ${LANG_ENGLISH} "Choose the folder in which to install TOLVStrel."
LangString TolvDirectoryText ${LANG_ENGLISH} "Setup will install TOLVStrel in the following folder. \
The preprocessor, the solver and the postprocessor go into the same folder, and TOLVStrel writes \
its files there: choose a folder that you can write to. Choosing the folder of an installed \
TOLVStrel updates it."
LangString TolvDirectoryLabel ${LANG_ENGLISH} "Destination Folder"
LangString TolvInstallingSubtitle ${LANG_ENGLISH} "Please wait while TOLVStrel is being installed."
LangString TolvInstalledSubtitle ${LANG_ENGLISH} "TOLVStrel has been installed."
LangString TolvFinishText ${LANG_ENGLISH} "TOLVStrel has been installed on this computer.$\r$\n$\r$\n\
TOLVStrel starts the preprocessor, the solver and the postprocessor that are in its own folder. If \
they are not there yet, copy them into the folder where TOLVStrel is installed.$\r$\n$\r$\n\
Click Finish to close Setup."
LangString TolvUnConfirmSubtitle ${LANG_ENGLISH} "Remove TOLVStrel from this computer."
LangString TolvUnConfirmText ${LANG_ENGLISH} "TOLVStrel will be uninstalled from the following \
folder. Removed: TOLVStrel.exe, the Qt and MinGW DLLs and plug-ins beside it, the user guide \
(docs\ja), Uninstall.exe, the Start-menu folder and the entry in the list of installed apps. \
Kept: run.dat, solver.bat, the preprocessor, the solver, the postprocessor and every other file \
in the folder, and the folder itself if anything is left in it."
LangString TolvUnConfirmLocation ${LANG_ENGLISH} "Uninstalling from:"
LangString TolvUninstallingSubtitle ${LANG_ENGLISH} "Please wait while TOLVStrel is being uninstalled."
LangString TolvUninstalledSubtitle ${LANG_ENGLISH} "TOLVStrel has been uninstalled."
LangString TolvSetupRunning ${LANG_ENGLISH} "Another setup or uninstall of TOLVStrel is running. \
Run this one again when it has finished."
LangString TolvFolderNotFull ${LANG_ENGLISH} "TOLVStrel cannot be installed in $\"$1$\": give the \
full path of a folder, beginning with its drive, such as C:\TOLVStrel."
LangString TolvFolderRoot ${LANG_ENGLISH} "TOLVStrel cannot be installed in the root of a drive \
($\"$1$\"): choose a folder on the drive."
LangString TolvFolderTooLong ${LANG_ENGLISH} "The path of the folder $\"$1$\" is too long: the path \
of an installed file (${TOLV_LONGEST}) would have $2 characters, and Windows allows \
${TOLV_PATH_LIMIT}. Choose a folder with a shorter path."
LangString TolvInUse ${LANG_ENGLISH} "TOLVStrel is running from this folder, or a program \
started from it uses its files: $1 is in use."
LangString TolvInUseRetry ${LANG_ENGLISH} "Close TOLVStrel (and that program), then click Retry. \
Click Cancel to choose another folder."
LangString TolvUnInUseRetry ${LANG_ENGLISH} "Close TOLVStrel (and that program), then click Retry. \
Click Cancel to end without removing anything."
LangString TolvClash ${LANG_ENGLISH} "The folder holds files with the names of TOLVStrel's files \
that no installation of TOLVStrel put there:$1$\r$\n$\r$\nThey may belong to another program, \
such as a solver that brings its own MinGW DLLs. Click Yes to replace them with TOLVStrel's \
files, which are removed when TOLVStrel is uninstalled; click No to choose another folder."

LangString TolvUninstallLink ${LANG_JAPANESE} "${TOLV_UNINSTALL_LINK_JA}"
LangString TolvGuideLink ${LANG_JAPANESE} "${TOLV_GUIDE_LINK_JA}"
LangString TolvDescription ${LANG_JAPANESE} "弾塑性有限変位解析ソフトウェア"
LangString TolvPublisher ${LANG_JAPANESE} "${TOLV_MAKER_JA}"
LangString TolvWelcomeText ${LANG_JAPANESE} "弾塑性有限変位解析ソフトウェア TOLVStrel をこのコンピュータに\
インストールします。TOLVStrel は、プリプロセッサ、ソルバー、ポストプロセッサの起動と、それらの間の\
解析データの受け渡しを行います。$\r$\n$\r$\nTOLVStrel を実行している場合は、終了してから続けてください。\
$\r$\n$\r$\n続けるには［次へ］をクリックしてください。"
LangString TolvDirectorySubtitle ${LANG_JAPANESE} "TOLVStrel をインストールするフォルダを選んでください。"
LangString TolvDirectoryText ${LANG_JAPANESE} "TOLVStrel を次のフォルダにインストールします。\
プリプロセッサ、ソルバー、ポストプロセッサも同じフォルダに置き、TOLVStrel はここにファイルを書き込むため、\
書き込みのできるフォルダを選んでください。インストール済みのフォルダを選ぶと、その TOLVStrel を更新します。"
LangString TolvDirectoryLabel ${LANG_JAPANESE} "インストール先のフォルダ"
LangString TolvInstallingSubtitle ${LANG_JAPANESE} "TOLVStrel をインストールしています。しばらくお待ちください。"
LangString TolvInstalledSubtitle ${LANG_JAPANESE} "インストールが完了しました。"
LangString TolvFinishText ${LANG_JAPANESE} "TOLVStrel のインストールが完了しました。$\r$\n$\r$\n\
TOLVStrel は、同じフォルダにあるプリプロセッサ、ソルバー、ポストプロセッサを起動します。まだコピーしていない\
場合は、各プログラムを TOLVStrel のインストール先のフォルダにコピーしてください。$\r$\n$\r$\n\
［完了］をクリックすると終了します。"
LangString TolvUnConfirmSubtitle ${LANG_JAPANESE} "TOLVStrel をこのコンピュータから削除します。"
LangString TolvUnConfirmText ${LANG_JAPANESE} "次のフォルダから TOLVStrel をアンインストールします。\
削除するのは、TOLVStrel.exe とその横の Qt と MinGW の DLL とプラグイン、使い方ガイド（docs\ja）、\
Uninstall.exe、スタートメニューのフォルダ、インストール済みアプリの一覧の項目です。run.dat、solver.bat、\
プリプロセッサ、ソルバー、ポストプロセッサなど、このフォルダのほかのファイルは残ります。ほかのファイルが\
残る場合は、このフォルダも残ります。"
LangString TolvUnConfirmLocation ${LANG_JAPANESE} "フォルダ："
LangString TolvUninstallingSubtitle ${LANG_JAPANESE} "TOLVStrel をアンインストールしています。しばらくお待ちください。"
LangString TolvUninstalledSubtitle ${LANG_JAPANESE} "アンインストールが完了しました。"
LangString TolvSetupRunning ${LANG_JAPANESE} "TOLVStrel の別のセットアップまたはアンインストールが\
実行中です。それが終わってから、もう一度実行してください。"
LangString TolvFolderNotFull ${LANG_JAPANESE} "「$1」には TOLVStrel をインストールできません。\
C:\TOLVStrel のように、ドライブから始まるフォルダのフルパスを指定してください。"
LangString TolvFolderRoot ${LANG_JAPANESE} "ドライブのルート（「$1」）には TOLVStrel をインストール\
できません。ドライブの中のフォルダを指定してください。"
LangString TolvFolderTooLong ${LANG_JAPANESE} "フォルダ「$1」のパスが長すぎます。インストールするファイル\
（${TOLV_LONGEST}）のパスが$2文字になり、Windows で扱える${TOLV_PATH_LIMIT}文字を超えます。\
もっと短いパスのフォルダを指定してください。"
LangString TolvInUse ${LANG_JAPANESE} "このフォルダの TOLVStrel、またはこのフォルダから起動した\
プログラムが実行中です（「$1」が使用中です）。"
LangString TolvInUseRetry ${LANG_JAPANESE} "TOLVStrel（とそのプログラム）を終了してから、［再試行］を\
クリックしてください。［キャンセル］をクリックすると、フォルダの選択に戻ります。"
LangString TolvUnInUseRetry ${LANG_JAPANESE} "TOLVStrel（とそのプログラム）を終了してから、［再試行］を\
クリックしてください。［キャンセル］をクリックすると、何も削除せずに終了します。"
LangString TolvClash ${LANG_JAPANESE} "このフォルダには、TOLVStrel のインストールで置いたものではない、\
TOLVStrel と同じ名前のファイルがあります。$1$\r$\n$\r$\nほかのプログラム（自分の MinGW の DLL を持つ\
ソルバーなど）のファイルかもしれません。TOLVStrel のファイルで置き換える場合は［はい］を\
クリックしてください（置き換えたファイルは、TOLVStrel のアンインストールで削除されます）。\
別のフォルダを選ぶ場合は［いいえ］をクリックしてください。"
; NSIS's Japanese file has the uninstall button in half-width katakana (installer.nsi widens it).
LangString ^UninstallBtn ${LANG_JAPANESE} "アンインストール(&U)"
; Texts of NSIS's Japanese file that the pages show, in the notation of ours: a full-width colon,
; buttons in ［］ that are clicked, sentences that end with 。.
LangString ^SpaceAvailable ${LANG_JAPANESE} "空き容量："
LangString ^SpaceRequired ${LANG_JAPANESE} "必要容量："
LangString ^DirBrowseText ${LANG_JAPANESE} "TOLVStrel をインストールするフォルダを選んでください。"
LangString ^FileError ${LANG_JAPANESE} "次のファイルに書き込めません。$\r$\n$\r$\n$\t$\"$0$\"$\r$\n$\r$\n\
インストールを中止するには［中止］、もう一度書き込むには［再試行］、このファイルを飛ばして続けるには［無視］を\
クリックしてください。"
LangString ^FileError_NoIgnore ${LANG_JAPANESE} "次のファイルに書き込めません。$\r$\n$\r$\n$\t$\"$0$\"\
$\r$\n$\r$\nもう一度書き込むには［再試行］、インストールを中止するには［キャンセル］をクリックしてください。"
