/* A driver's own settings as a form the IDE shows: the options pages ask
 * the driver library's capability export "DllPm3Cap" for the fields of
 * its settings, show them in a dialog of the IDE's, and have the driver
 * make the settings text of what the user chose. The text is the one the
 * Debug page keeps as the library's parameter, so the form and the field
 * always say the same; the driver reads it when a session starts.
 *
 *   kDrvCapSettingsKind (7) with a null argument: how the driver offers
 *       its settings: kDrvSettingsNone, kDrvSettingsForm (codes 5 and 6)
 *       or kDrvSettingsDialog (its own dialog, capability code 1). A
 *       driver that does not know the code answers 0: it has none.
 *   kDrvCapSettingsForm (5) with a DriverSettingsForm: the driver fills
 *       the title and the fields from form->parameter; answers 1.
 *   kDrvCapSettingsText (6) with the form the user edited: the driver
 *       writes the settings text into form->text and answers 1, or
 *       answers 0 with the reason in form->error, naming the field. A
 *       text longer than form->text holds is refused with 0, an empty
 *       form->error and form->text filled to its last character: the IDE
 *       says how much its field for the text keeps.
 *
 * C, and it includes nothing of ours: the IDE and every driver share it. */
#ifndef PM2_DRIVER_ABI_DRIVER_SETTINGS_FORM_H
#define PM2_DRIVER_ABI_DRIVER_SETTINGS_FORM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { kDrvCapSettingsForm = 5, kDrvCapSettingsText = 6, kDrvCapSettingsKind = 7 };
enum { kDrvSettingsNone = 0, kDrvSettingsForm = 1, kDrvSettingsDialog = 2 };

/* A field's kind: a line of text, one of its choices, or a switch ("1" on). */
enum { kDrvFieldText = 0, kDrvFieldChoice = 1, kDrvFieldSwitch = 2 };

enum { kDrvFormFields = 16 };

typedef struct DriverSettingsField {
  char key[32];       /* the driver's own name of the field */
  char label[64];     /* "GDB program:" */
  int32_t kind;       /* kDrvField... */
  char choices[256];  /* kDrvFieldChoice: the choices, each ending in '\n' */
  char tip[256];      /* what the field sets */
  /* kDrvFieldText and kDrvFieldSwitch: 0, or 1 + the index of the choice
   * field and 1 + the choice under which the field applies (greyed else). */
  int32_t appliesWithField;
  int32_t appliesWithChoice;
  char value[260];    /* in and out: the text, the chosen choice's text, "1" or "0" */
} DriverSettingsField;

typedef struct DriverSettingsForm {
  const char* parameter;  /* in: the settings text as the Debug page keeps it */
  char title[128];        /* out: the dialog's title */
  uint32_t count;         /* out: the fields used */
  DriverSettingsField fields[kDrvFormFields];
  char text[260];         /* out of code 6: the settings text */
  char error[256];        /* out of code 6: why the form's values are refused */
} DriverSettingsForm;

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif /* PM2_DRIVER_ABI_DRIVER_SETTINGS_FORM_H */
