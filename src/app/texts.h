#pragma once
// The texts of the operations a menu item or a button starts: the controller
// commands, the compare and the checked write, the file commands, the plan
// pictures and the safety gate. Box titles shared with the other layers and
// the core's own messages are in model/texts.h; like those, every text stands
// exactly as the users know it.
#include "model/texts.h"

namespace livra {

// The link. Every failed command says "Выполнить команду не удалось!!!" first.
inline constexpr const char* kNoCableText =
    "Выполнить команду не удалось!!!\nКонфигуратор не видит соединительного кабеля.";
inline constexpr const char* kNoAnswerText = "Выполнить команду не удалось!!!\nДК не отвечает.";
inline constexpr const char* kCancelledText = "Выполнить команду не удалось!!!\nОперация прервана пользователем";
inline constexpr const char* kDamagedRepliesText = "Выполнить команду не удалось!!!\nОтветы ДК искажены.";
inline constexpr const char* kIncompatibleText = "конфигуратор не совместим с ДК!";
// Followed by the file name in quotes (write) or the full path (read).
inline constexpr const char* kCannotOpenFileText = "Выполнить команду не удалось!!!\nНевозможно открыть файл ";
// Follows it when part files stayed replaced: then the names of those parts.
inline constexpr const char* kPartsMixedText = "\nВ папке смесь двух образов, заменены файлы:";
// The controller's image did not decode: its memory holds no valid configuration.
inline constexpr const char* kDamagedImageText =
    "Выполнить команду не удалось!!!\nКонфигурация в памяти ДК повреждена.";
inline constexpr const char* kWriteMismatchText =
    "Выполнить команду не удалось!!!\nДК вернул не то, что было записано.";

// Error-list lines. A write cut short after its first frame cannot be undone:
// the controller may have taken some parts and not others.
inline constexpr const char* kPartlyWrittenLine =
    "Запись прервана: в ДК может остаться частично записанная конфигурация. Запишите конфигурацию в ДК ещё раз.";
inline constexpr const char* kWrittenLine = "Конфигурация записана в ДК";  // followed by " (N байт)"
inline constexpr const char* kReadLine = "Конфигурация прочитана из ДК";   // followed by " (N байт)"
inline constexpr const char* kClockSetLine = "Часы ДК установлены: ";        // followed by the time sent
inline constexpr const char* kServiceSentLine = "Сервисный запрос передан в ДК: ";  // followed by 1 or 2
inline constexpr const char* kWriteUncheckedLine = "Запись в ДК не проверена: конфигурацию из ДК прочитать не удалось";
// A controller fresh from the factory holds an image that decodes to no
// directions and no programs.
inline constexpr const char* kNoConfigurationText = "В памяти ДК нет конфигурации.";

// Under kWarningTitle.
inline constexpr const char* kWriteRefusedText =
    "Запись в ДК невозможна.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и повторите.";
inline constexpr const char* kNotComparableText =
    "Сравнение с ДК невозможно.\nКонфигурацию нельзя записать в ДК без потерь.\nИсправьте ошибки и повторите.";
inline constexpr const char* kClockSyncedText = "Время синхронизировано";

// The commands' own titles.
inline constexpr const char* kWriteTitle = "Записать в ДК";
inline constexpr const char* kCompareTitle = "Сравнить с ДК";
inline constexpr const char* kReadTitle = "Читать из ДК";
inline constexpr const char* kReadQuestion =
    "Считанная программа из ДК полностью сотрет текущею\nСохранить текущею программу в файл?";
inline constexpr const char* kReadCancelledText = "Операция чтения из ДК отменена пользователем";
inline constexpr const char* kControllerInfoTitle = "Информация о ДК";

inline constexpr const char* kJournalFilter = "Файлы |*.txt";
inline constexpr const char* kJournalHeader = "Дата\t\tВремя\tКанал\tНаправление\tСобытие";

inline constexpr const char* kServiceTitle = "Сервис";
inline constexpr const char* kServicePrompt = "Пароль";
// What the engineer types for each service request.
inline constexpr const char* kServiceRestartCode = "4021";
inline constexpr const char* kServiceClearJournalCode = "5930";

// The "Файл" menu.
inline constexpr const char* kBaseTitle = "Конфигуратор ДК 'Ливра'";
inline constexpr const char* kProjectFilter = "Файлы |*.ptm";
inline constexpr const char* kNewTitle = "Создать";
inline constexpr const char* kNewQuestion = "Созданная  программа полностью заменит текущую!\nПродолжить?";
inline constexpr const char* kOpenTitle = "Чтение файла";
inline constexpr const char* kOpenQuestion = "Загруженная программа полностью заменит текущую!\nПродолжить?";
inline constexpr const char* kJsonFilter = "Файлы JSON |*.json";
inline constexpr const char* kImportJsonTitle = "Импорт из JSON";
// Followed by the place and the cause of the fault.
inline constexpr const char* kImportJsonErrorText = "Проект из JSON не построен, текущий не изменён:\n";
inline constexpr const char* kExitTitle = "Выход";
inline constexpr const char* kExitQuestion = "файл не был сохранен. Сохранить его сейчас?";

// Saving under a chosen name, under kConfirmSaveTitle: the file's name, then this.
inline constexpr const char* kAlreadyExistsQuestion = " уже существует.\nЗаменить?";
// The diagram window's exports ask under kWarningTitle: this, the whole path,
// then kAlreadyExistsQuestion.
inline constexpr const char* kFileWord = "Файл ";

// The plan pictures.
inline constexpr const char* kOpenPictureTitle = "Открыть";
inline constexpr const char* kPngFilter = "PNG (*.png)";
inline constexpr const char* kScreenshotTitle = "Сохранить скриншот";
inline constexpr const char* kScreenshotFilter = "Файлы |*.bmp";
inline constexpr const char* kPictureFailedText = "Не удалось загрузить план перекрестка ";
inline constexpr const char* kPictureKeptText = "\nПлан остался прежним.";
inline constexpr const char* kOtherInShemText = "В папке shem уже есть другой файл ";
inline constexpr const char* kCopyFailedText = "Не удалось скопировать план перекрестка в папку ";
inline constexpr const char* kScreenshotFailedText = "Не удалось сохранить скриншот ";

// The safety gate before a write and after a read.
inline constexpr const char* kSafetyRefusedText = "Запись в ДК невозможна.\n";
inline constexpr const char* kSafetyRefusedConflictText =
    "Конфликтующие направления одновременно получают разрешающий сигнал:\n";
inline constexpr const char* kSafetyRefusedIntergreenText = "Промежуточное время меньше заданного:\n";
inline constexpr const char* kSafetyRefusedMissingText =
    "Для конфликтующих направлений не задано промежуточное время:\n";
// The error-list line a refused write leaves, followed by its reasons.
inline constexpr const char* kSafetyRefusedLine = "Запись в ДК отменена: ";
inline constexpr const char* kSafetyRefusedConflictWord = "конфликт";
inline constexpr const char* kSafetyRefusedIntergreenWord = "промежуточное время меньше заданного";
inline constexpr const char* kSafetyRefusedMissingWord = "конфликт без промежуточного времени";
// Before the monitor's first trip in `livra simulate`.
inline constexpr const char* kMonitorTrippedLine = "Монитор конфликтов сработал: ";
inline constexpr const char* kSafetyAskTitle = "Проверка безопасности";
inline constexpr const char* kSafetyAskText = "Проверка безопасности нашла замечания:\n";
inline constexpr const char* kSafetyAskQuestion = "Записать всё равно?";
inline constexpr const char* kSafetyStaleAfterReadText =
    "Направления в ДК отличаются от тех, для которых задана матрица конфликтов: проверьте её";

// The object's passport: the report and its tables as a spreadsheet.
inline constexpr const char* kPdfDocumentFilter = "Документ PDF |*.pdf";
inline constexpr const char* kReportCsvFilter = "Таблицы CSV |*.csv";
inline constexpr const char* kReportCsvFailedText = "Не удалось записать файл ";
inline constexpr const char* kPassportTitle = "Паспорт объекта";

// "Упаковать проект…".
inline constexpr const char* kPackSaveFirstText = "Сначала сохраните проект: в архив идут сохранённые файлы";
inline constexpr const char* kPackArchiveFilter = "Архив проекта |*.zip";
inline constexpr const char* kPackedLine = "Проект упакован: ";
inline constexpr const char* kPackedWithoutPictureText = "; рисунок плана не найден: ";

}  // namespace livra
