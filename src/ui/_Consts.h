#pragma once
// Unit _Consts: the texts the user sees, kept once. "\r" breaks a line in a
// message; label texts break with "\r\n".

namespace consts {

// Message dialog captions, by kind.
inline constexpr const char* SMsgDlgWarning = "Предупреждение";
inline constexpr const char* SMsgDlgError = "Ошибка";
inline constexpr const char* SMsgDlgInformation = "Информация";
inline constexpr const char* SMsgDlgConfirm = "Подтвердите";
inline constexpr const char* SMsgDlgShutdown = "Завершение работы";

// Message dialog buttons, by bit.
inline constexpr const char* SMsgDlgYes = "Да";
inline constexpr const char* SMsgDlgNo = "Нет";
inline constexpr const char* SMsgDlgOK = "Ввод";
inline constexpr const char* SMsgDlgCancel = "Отмена";
inline constexpr const char* SMsgDlgAbort = "Прервать";
inline constexpr const char* SMsgDlgRetry = "Повторить";
inline constexpr const char* SMsgDlgIgnore = "Игнорировать";
inline constexpr const char* SMsgDlgAll = "Все";
inline constexpr const char* SMsgDlgNoToAll = "Нет для всех";
inline constexpr const char* SMsgDlgYesToAll = "Да для всех";
inline constexpr const char* SMsgDlgHelp = "Помощь";
inline constexpr const char* SMsgDlgClose = "Закрыть";

// Main window.
inline constexpr const char* SCloseQuery = "Закрыть программу?";
inline constexpr const char* SLoadSetupError =
    "Не могу загрузить информацию,\rнеобходимую для инсталляции программного обеспечения.";
inline constexpr const char* SCantShowDialog = "Не могу показать диалог!";
// One line on stderr when the toolkit finds no screen to show the window on.
inline constexpr const char* SNoDisplay =
    "skdsetup: нет дисплея, окно показать негде (DISPLAY не задан или недоступен)\n";

// Installers and the shell.
inline constexpr const char* SInstalling = "Идет установка ...";
inline constexpr const char* SCantExecute = "Невозможно выполнить \"";
inline constexpr const char* SCantExecuteTail = "\":\r";
inline constexpr const char* SContinueSetup = "\rПродолжить инсталляцию?";
inline constexpr const char* SFileNotFound = "файл приложения не найден.";
inline constexpr const char* SAccessDenied = "недостаточно прав на выполнение операции.";
inline constexpr const char* SBadFormat = "файл приложения не может быть запущен под WIN32.";
inline constexpr const char* SCancelled = "операция отменена пользователем.";
inline constexpr const char* SErrorNumber = "ошибка № ";
inline constexpr const char* SViewDiscError = "Ошибка просмотра диска!";
inline constexpr const char* SNoInstallerLocation =
    "Не могу определить расположение программы-инсталлятора!";
inline constexpr const char* SHardwareServerName = "Сервер аппаратуры СКУД \"Ловерин\"";

// The toolkit's own untranslated messages.
inline constexpr const char* SStyleNotFound = "Style '%s' not found";
inline constexpr const char* SToolkitErrorTitle = "Error";
inline constexpr const char* SToolkitCloseButton = "&Close";
inline constexpr const char* SToolkitOkButton = "OK";

// The database server installation.
inline constexpr const char* SServerInstalled = "На Вашем компьютере уже установлен InterBase/FireBird\r";
inline constexpr const char* SVersionOpen = "(версия ";
inline constexpr const char* SVersionClose = ")";
inline constexpr const char* SUnknownVersion = "(неизвестная версия)";
inline constexpr const char* SServerInstalledTail = ".\rПродолжить установку?";

// The database installation. Runs of blanks are part of the texts.
inline constexpr const char* SDbPathWarning =
    "Путь к базе данных НЕ ДОЛЖЕН содержать символы национальной\r"
    "кодировки (проще говоря, русские буквы!) - в этом случае возможны\r"
    "проблемы с функционированием сервисов InterBase/FireBird (упаковка\r"
    "базы данных и т.п.).\r"
    "\r"
    "Пожалуйста, установливайте базу данных по пути, содержащем\r"
    "                  ТОЛЬКО АНГЛИЙСКИЕ БУКВЫ!";
inline constexpr const char* SDbNoServer =
    "Базу данных  следует  устанавливать на компьютер,\r"
    "на котором установлен сервер InterBase/FireBird. На данном\r"
    "компьютере сервер InterBase/FireBird не установлен.\r"
    "Продолжить установку?";
inline constexpr const char* SDbNotRunning =
    "Хотя сервер InterBase/FireBird и установлен на данном\r"
    "компьютере, он, похоже, НЕ ЗАПУЩЕН!\r"
    "\r"
    "Если Вы решите продолжить установку базы данных,   учтите,\r"
    "что Вам не удастся проверить прямо в процессе инсталляции\r"
    "соединение с базой данных и выполнить разрешение запуска\r"
    "всех программ на данном компьютере.\r"
    "\r"
    "Совет: попробуйте перезагрузить компьютер для запуска\r"
    "сервера InterBase/FireBird.\r"
    "\r"
    "Продолжить инсталляцию?";
// Each of the next four is: head, the folder, tail.
inline constexpr const char* SLibraryErrorHead =
    "Ошибка установки необходимых библиотек!\r"
    "Если Вы решите продолжить  установку базы данных,\r"
    "Вам  следует  вручную  установить все библиотеки:\r"
    "скопировать  все *.dll  из каталога\r"
    "\"";
inline constexpr const char* SLibraryErrorTail =
    "\"\r"
    "в  каталог  \"UDF\"  InterBase/FireBird   (по умолчанию \r"
    "  \"C:\\Program Files\\Borland\\InterBase\\UDF\"/\r"
    "  \"C:\\Program Files\\FireBird\\UDF\").\r"
    "Продолжить инсталляцию?";
inline constexpr const char* SServiceDbErrorHead =
    "Ошибка копирования сервисной базы данных!\r"
    "Если  Вы  решите  продолжить  установку базы данных,\r"
    "Вам следует вручную установить сервисную базу данных:\r"
    "скопировать содержимое каталога\r"
    "\"";
inline constexpr const char* SServiceDbErrorTail =
    "\"\r"
    "в  каталог InterBase/FireBird   (по умолчанию \r"
    "  \"C:\\Program Files\\Borland\\InterBase\"\\\r"
    "  \"C:\\Program Files\\FireBird\" ).\r"
    "Продолжить инсталляцию?";
inline constexpr const char* SLibraryReminderHead =
    "Поскольку сервер InterBase/FireBird не установлен на данном\r"
    "компьютере, программа не может установить необходимые\r"
    "библиотеки. Если Вы решите продолжить установку базы\r"
    "данных, после установки сервера InterBase/FireBird Вам следует\r"
    "вручную установить все библиотеки: скопировать все *.dll\r"
    "из каталога \"";
inline constexpr const char* SLibraryReminderTail =
    "\"\r"
    "в каталог \"UDF\" InterBase/FireBird\r"
    "(по умолчанию \"C:\\Program Files\\Borland\\InterBase\\UDF\"/\r"
    "\"C:\\Program Files\\FireBird\\UDF\").\r"
    "Продолжить инсталляцию?";
inline constexpr const char* SServiceDbReminderHead =
    "Поскольку сервер InterBase/FireBird не установлен на данном\r"
    "компьютере, программа не может установить сервисную\r"
    "базу данных. Если Вы решите продолжить установку базы\r"
    "данных, после установки сервера InterBase/FireBird Вам следует\r"
    "вручную установить сервисную базу данных: скопировать\r"
    "содержимое каталога \"";
inline constexpr const char* SServiceDbReminderTail =
    "\"\r"
    "в каталог InterBase/FireBird\r"
    "(по умолчанию \"C:\\Program Files\\Borland\\InterBase\"/\r"
    "\"C:\\Program Files\\FireBird\").\r"
    "Продолжить инсталляцию?";
inline constexpr const char* SServiceDbName = "DIZ_JSC.GDB";
inline constexpr const char* SUnknownMajorVersion = "???";

}  // namespace consts
