#pragma once
// The desktop program's own texts: the buttons every dialog shares and the
// boxes only the windows show. Box titles and the core's messages are in
// model/texts.h, the operations' in app/texts.h; all stand exactly as the
// users know them.
#include "app/texts.h"
#include "format/texts.h"

namespace livra::ui {

inline constexpr const char* kOkButton = "Ок";
inline constexpr const char* kCancelButton = "Отмена";

// "Программа по фазам…".
inline constexpr const char* kDesignDialogTitle = "Программа по фазам";
inline constexpr const char* kDesignReadyText =
    "Можно построить: каждый промтакт не длиннее, чем требуют правила, проверка безопасности замечаний не найдёт";

// Under kWarningMarkTitle.
inline constexpr const char* kChannelCountQuestion =
    "Номера каналов, имеющие значения выше установленного, будут сброшены в нуль\n"
    "Изменить количество каналов в ДК?\n";
inline constexpr const char* kDayFullText = "Список переполнен.\nНет места для новой записи.";
inline constexpr const char* kRunningEditText = "Запущено моделирование.\nИзменения невозможны\nдо остановки процесса";
// Under kErrorMarkTitle.
inline constexpr const char* kDuplicateTimeText = "Задано несколько, одинаковых, временных интервалов";

// Under kErrorTitle.
inline constexpr const char* kPlanSaveFailedText = "План перекрестка сохранить не удалось.";
inline constexpr const char* kVirtualControllerFailedText = "Виртуальный ДК запустить не удалось.";
inline constexpr const char* kNoLinkInBuildText =
    "Выполнить команду не удалось!!!\nСвязь с ДК в этой сборке недоступна.";

// SUMO files: the dialogs' titles, also of the file dialogs they open. The
// question follows the import's own reason.
inline constexpr const char* kSumoImportTitle = "Импорт из SUMO";
inline constexpr const char* kSumoExportTitle = "Экспорт в SUMO";
inline constexpr const char* kSumoReplaceQuestion = ".\nЗаменить её программой SUMO?";
inline constexpr const char* kSumoImportFailedText = "Импорт не выполнен, конфигурация не изменена.\n";
inline constexpr const char* kSumoNoFileText = "Укажите файл для экспорта.";
inline constexpr const char* kSumoForceQuestion = ".\nПринять её всё же?";
// The import dialog: its lists, choices and what it says before "Импорт".
inline constexpr const char* kSumoFilter = "Файлы SUMO (*.xml *.xml.gz)";
inline constexpr const char* kSumoAsFixedBox = "Программу с детекторами (actuated) — как жёсткую";
inline constexpr const char* kSumoCreateDirectionsBox = "Создать направления по связям светофора";
inline constexpr const char* kSumoChangesLabel = "Что изменится при импорте:";
inline constexpr const char* kSumoNothingChanges = "Программа примется как есть.";
inline constexpr const char* kSumoWillReplace = "Программа будет заменена: она не пуста (перед импортом — вопрос).";
inline constexpr const char* kSumoWillAskForce = "Перед импортом — вопрос, принять ли её всё же.";
inline constexpr const char* kSumoChooseFile =
    "Выберите или впишите файл SUMO (.net.xml, .net.xml.gz, .add.xml, .tll.xml) и нажмите Enter.";

// Diagrams and the report.
inline constexpr const char* kPngPictureFilter = "Рисунок PNG |*.png";
inline constexpr const char* kSvgPictureFilter = "Рисунок SVG |*.svg";

// "Справка" and "Загрузчик"; each is also its box's title.
inline constexpr const char* kHelpTitle = "Справка";
inline constexpr const char* kHelpFailedText = "Не удалось открыть файл справки ";
inline constexpr const char* kGuideFailedText = "Не удалось открыть руководство пользователя.\nОткройте в браузере файл ";
inline constexpr const char* kLoaderTitle = "Загрузчик";
inline constexpr const char* kLoaderFailedText = "Не удалось запустить загрузчик ";

// "Правка": the menu items, followed by the name of the step they take.
inline constexpr const char* kUndoItem = "Отменить";
inline constexpr const char* kRedoItem = "Повторить";
// The names of the undo steps, as "Отменить: вставка тактов" shows them.
inline constexpr const char* kStepInsertTact = "вставка такта";
inline constexpr const char* kStepDeleteTact = "удаление такта";
inline constexpr const char* kStepClearProgram = "очистка программы";
inline constexpr const char* kStepCopyProgram = "копия программы";
inline constexpr const char* kStepSignal = "сигнал";
inline constexpr const char* kStepTactProperties = "свойства такта";
inline constexpr const char* kStepDirection = "направление";
inline constexpr const char* kStepChannel = "канал";
inline constexpr const char* kStepDeleteDirection = "удаление направления";
inline constexpr const char* kStepResetChannels = "сброс номеров каналов";
inline constexpr const char* kStepChannelCount = "количество каналов";
inline constexpr const char* kStepDelay = "задержка ТВП";
inline constexpr const char* kStepCalendarEntry = "запись календаря";
inline constexpr const char* kStepDeleteCalendarEntry = "удаление записи календаря";
inline constexpr const char* kStepCopyDay = "копия суток";
inline constexpr const char* kStepConflictMatrix = "матрица конфликтов";
inline constexpr const char* kStepSumoImport = "импорт из SUMO";
inline constexpr const char* kStepDesign = "программа по фазам";
inline constexpr const char* kStepRebuildInterphases = "перестройка промтактов";
inline constexpr const char* kStepTiming = "расчёт режима";
inline constexpr const char* kStepPassport = "паспорт объекта";
inline constexpr const char* kStepSignals = "сигнал выделенных";
inline constexpr const char* kStepFillDirection = "заполнение направления";
inline constexpr const char* kStepFillTact = "заполнение такта";
inline constexpr const char* kStepCutTacts = "вырезка тактов";
inline constexpr const char* kStepPasteTacts = "вставка тактов";
inline constexpr const char* kStepAllRed = "такт «все красные»";

// The matrix: a conflict with intergreens is removed only when confirmed
// (directions, then the times of both orders).
inline constexpr const char* kRemoveConflictQuestion =
    "Убрать конфликт направлений %1 и %2?\nПромежуточные времена %3 и %4 будут удалены.";

// Under the missing picture's name on the plan.
inline constexpr const char* kPlanPictureLookedText = "Искали в папке shem программы и в папке shem рядом с проектом";

// The empty directions picture: where to begin.
inline constexpr const char* kAddDirectionHint = "Щёлкните строку, чтобы добавить направление";

// Programs at a glance: "4 — 68 с, 18 тактов, по календарю".
inline constexpr const char* kTactWords[3] = {"такт", "такта", "тактов"};
inline constexpr const char* kProgramEmptyText = "пусто";
inline constexpr const char* kInCalendarText = "по календарю";
inline constexpr const char* kCycleLabel = "Цикл %1 с";

// The calendar by templates.
inline constexpr const char* kThisDayItem = "Этот день";
inline constexpr const char* kWeekdaysItem = "Будни";
inline constexpr const char* kWeekendItem = "Выходные";
inline constexpr const char* kEveryDayItem = "Каждый день";
inline constexpr const char* kBadTimeText = "Время задано неверно.\nВведите часы и минуты, например 06:30";
inline constexpr const char* kCopyDaysTitle = "Копировать сутки";
inline constexpr const char* kCopyDaysButton = "В другие дни…";
inline constexpr const char* kCopyDaysLabel = "Записи дня «%1» — в дни:";

// The menu of the tact grid's cells; a tab sets the key off to the right.
inline constexpr const char* kCellSignalItem = "Сигнал для выделенных…";
inline constexpr const char* kCellFillDirectionItem = "Заполнить направление…";
inline constexpr const char* kCellFillTactItem = "Заполнить такт…";
inline constexpr const char* kCellCopyItem = "Копировать такты\tCtrl+C";
inline constexpr const char* kCellCutItem = "Вырезать такты\tCtrl+X";
inline constexpr const char* kCellPasteItem = "Вставить такты\tCtrl+V";
inline constexpr const char* kCellAllRedItem = "Вставить такт «все красные»";

// "Паспорт объекта…" (the dialog's title is the app's kPassportTitle).
inline constexpr const char* kPassportObjectTab = "Объект";
inline constexpr const char* kPassportNameColumn = "Название";
inline constexpr const char* kPassportDirectionColumn = "Направление";
inline constexpr const char* kPassportProgramColumn = "Программа";
inline constexpr const char* kPassportDatePlaceholder = "ДД.ММ.ГГГГ";

// The timing from traffic counts.
inline constexpr const char* kTimingMenuItem = "Расчёт режима по интенсивностям…";
inline constexpr const char* kTimingDialogTitle = "Расчёт режима по интенсивностям";

}  // namespace livra::ui
