#pragma once
// The desktop program's own texts: the buttons every dialog shares and the
// boxes only the windows show. Box titles and the core's messages are in
// model/texts.h, the operations' in app/texts.h; all stand exactly as the
// users know them.
#include "app/texts.h"

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
