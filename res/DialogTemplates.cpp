#include <initializer_list>

#include "res/DialogTemplate.h"

extern const DialogTemplate kDialog100About;
extern const DialogTemplate kDialog102FrequencyTable;
extern const DialogTemplate kDialog130Launcher;
extern const DialogTemplate kDialog131Convert;
extern const DialogTemplate kDialog132TunerEdit;
extern const DialogTemplate kDialog133NewFromPlan;

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate* tpl : {&kDialog100About, &kDialog102FrequencyTable, &kDialog130Launcher,
                                      &kDialog131Convert, &kDialog132TunerEdit, &kDialog133NewFromPlan}) {
        if (tpl->id == id)
            return tpl;
    }
    return nullptr;
}
