; The installer's and uninstaller's own texts in English (1033) and Japanese (1041), beside the
; standard ones of NSIS's language files. English comes first: NSIS makes the first language it meets
; the default, the one for any display language other than Japanese. The welcome and finish texts
; go through InstallOptions, which reads \r\n in them as a line break.

; Start-menu links: both languages' names are needed to remove them, whatever the language.
!define TOLV_UNINSTALL_LINK_EN "Uninstall TOLVStrel"
!define TOLV_UNINSTALL_LINK_JA "TOLVStrel のアンインストール"
!define TOLV_GUIDE_LINK_EN "TOLVStrel User Guide"
!define TOLV_GUIDE_LINK_JA "TOLVStrel 使い方"

LangString TolvUninstallLink 1033 "${TOLV_UNINSTALL_LINK_EN}"
LangString TolvGuideLink 1033 "${TOLV_GUIDE_LINK_EN}"
LangString TolvDescription 1033 "Elasto-plastic finite-displacement analysis software"
LangString TolvPublisher 1033 "TOLVStrel developers"
LangString TolvWelcomeText 1033 "Setup will install TOLVStrel, the elasto-plastic finite-displacement \
analysis software, on this computer. TOLVStrel starts the preprocessor, the solver and the \
postprocessor and hands the data of the analysis from one to the next.\r\n\r\nIf TOLVStrel is running, \
please close it before you continue.\r\n\r\nClick Next to continue."
LangString TolvDirectorySubtitle 1033 "Choose the folder in which to install TOLVStrel."
LangString TolvDirectoryText 1033 "Setup will install TOLVStrel in the following folder. The \
preprocessor, the solver and the postprocessor go into the same folder, and TOLVStrel writes its \
files there: choose a folder that you can write to. Choosing the folder of an installed TOLVStrel \
updates it."
LangString TolvDirectoryLabel 1033 "Destination Folder"
LangString TolvInstallingSubtitle 1033 "Please wait while TOLVStrel is being installed."
LangString TolvInstalledSubtitle 1033 "TOLVStrel has been installed."
LangString TolvFinishText 1033 "TOLVStrel has been installed on this computer.\r\n\r\nTOLVStrel starts \
the preprocessor, the solver and the postprocessor that are in its own folder. If they are not \
there yet, copy them into the folder where TOLVStrel is installed.\r\n\r\nClick Finish to close Setup."
LangString TolvUnConfirmSubtitle 1033 "Remove TOLVStrel from this computer."
LangString TolvUnConfirmText 1033 "TOLVStrel will be uninstalled from the following folder. Only the \
files that Setup installed are removed: run.dat, solver.bat and the programs that you copied into \
the folder stay."
LangString TolvUnConfirmLocation 1033 "Uninstalling from:"
LangString TolvUninstallingSubtitle 1033 "Please wait while TOLVStrel is being uninstalled."
LangString TolvUninstalledSubtitle 1033 "TOLVStrel has been uninstalled."

LangString TolvUninstallLink 1041 "${TOLV_UNINSTALL_LINK_JA}"
LangString TolvGuideLink 1041 "${TOLV_GUIDE_LINK_JA}"
LangString TolvDescription 1041 "弾塑性有限変位解析ソフトウェア"
LangString TolvPublisher 1041 "TOLVStrel 開発チーム"
LangString TolvWelcomeText 1041 "弾塑性有限変位解析ソフトウェア TOLVStrel をこのコンピュータに\
インストールします。TOLVStrel は、プリプロセッサ、ソルバー、ポストプロセッサの起動と、それらの間の\
解析データの受け渡しを行います。\r\n\r\nTOLVStrel を実行している場合は、終了してから続けてください。\
\r\n\r\n続けるには［次へ］をクリックしてください。"
LangString TolvDirectorySubtitle 1041 "TOLVStrel をインストールするフォルダを選んでください。"
LangString TolvDirectoryText 1041 "TOLVStrel を次のフォルダにインストールします。プリプロセッサ、\
ソルバー、ポストプロセッサも同じフォルダに置き、TOLVStrel はここにファイルを書き込むため、\
書き込みのできるフォルダを選んでください。インストール済みのフォルダを選ぶと、その TOLVStrel を\
更新します。"
LangString TolvDirectoryLabel 1041 "インストール先のフォルダ"
LangString TolvInstallingSubtitle 1041 "TOLVStrel をインストールしています。しばらくお待ちください。"
LangString TolvInstalledSubtitle 1041 "インストールが完了しました。"
LangString TolvFinishText 1041 "TOLVStrel のインストールが完了しました。\r\n\r\nTOLVStrel は、\
同じフォルダにあるプリプロセッサ、ソルバー、ポストプロセッサを起動します。まだコピーしていない\
場合は、各プログラムを TOLVStrel のインストール先のフォルダにコピーしてください。\r\n\r\n\
［完了］をクリックすると、セットアップを終了します。"
LangString TolvUnConfirmSubtitle 1041 "TOLVStrel をこのコンピュータから削除します。"
LangString TolvUnConfirmText 1041 "次のフォルダから TOLVStrel をアンインストールします。削除するのは\
セットアップがインストールしたファイルだけで、run.dat、solver.bat と、このフォルダにコピーした\
プログラムは残ります。"
LangString TolvUnConfirmLocation 1041 "フォルダ:"
LangString TolvUninstallingSubtitle 1041 "TOLVStrel をアンインストールしています。しばらくお待ちください。"
LangString TolvUninstalledSubtitle 1041 "アンインストールが完了しました。"
; NSIS's Japanese file has the uninstall button in half-width katakana (installer.nsh widens it). The
; Japanese follows the launcher and its guide: フォルダ, コンピュータ, buttons in ［］.
LangString ^UninstallBtn 1041 "アンインストール(&U)"
