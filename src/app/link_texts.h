#pragma once
// What the controller commands tell the user.
namespace livra::linktext {

inline constexpr const char* kErrorTitle = "Ошибка";
inline constexpr const char* kWarningTitle = "Внимание";

inline constexpr const char* kNoCable =
    "Выполнить команду не удалось!!!\nКонфигуратор не видит соединительного кабеля.";
inline constexpr const char* kNoAnswer = "Выполнить команду не удалось!!!\nДК не отвечает.";
inline constexpr const char* kCancelled = "Выполнить команду не удалось!!!\nОперация прервана пользователем";
inline constexpr const char* kIncompatible = "конфигуратор не совместим с ДК!";
// Followed by the file name in quotes (write) or the full path (read).
inline constexpr const char* kCannotOpenFile = "Выполнить команду не удалось!!!\nНевозможно открыть файл ";
// The controller's image did not decode: its memory holds no valid configuration.
inline constexpr const char* kDamagedImage =
    "Выполнить команду не удалось!!!\nКонфигурация в памяти ДК повреждена.";

// Error-list lines. A write cut short after its first frame cannot be undone:
// the controller may have taken some parts and not others.
inline constexpr const char* kPartlyWritten =
    "Запись прервана: в ДК может остаться частично записанная конфигурация. Запишите конфигурацию в ДК ещё раз.";
inline constexpr const char* kWritten = "Конфигурация записана в ДК";  // followed by " (N байт)"
inline constexpr const char* kRead = "Конфигурация прочитана из ДК";   // followed by " (N байт)"
inline constexpr const char* kClockSet = "Часы ДК установлены: ";        // followed by the time sent
inline constexpr const char* kServiceSent = "Сервисный запрос передан в ДК: ";  // followed by 1 or 2
// A controller fresh from the factory holds an image that decodes to no
// directions and no programs.
inline constexpr const char* kNoConfiguration = "В памяти ДК нет конфигурации.";

inline constexpr const char* kWriteRefused =
    "Запись в ДК невозможна.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и повторите.";

inline constexpr const char* kReadTitle = "Читать из ДК";
inline constexpr const char* kReadQuestion =
    "Считанная программа из ДК полностью сотрет текущею\nСохранить текущею программу в файл?";
inline constexpr const char* kReadCancelled = "Операция чтения из ДК отменена пользователем";

inline constexpr const char* kInfoTitle = "Информация о ДК";
inline constexpr const char* kClockSynced = "Время синхронизировано";

inline constexpr const char* kJournalFilter = "Файлы |*.txt";
inline constexpr const char* kJournalHeader = "Дата\t\tВремя\tКанал\tНаправление\tСобытие";

inline constexpr const char* kServiceTitle = "Сервис";
inline constexpr const char* kServicePrompt = "Пароль";
inline constexpr const char* kServiceRestart = "4021";
inline constexpr const char* kServiceClearJournal = "5930";

}  // namespace livra::linktext
