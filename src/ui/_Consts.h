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

}  // namespace consts
