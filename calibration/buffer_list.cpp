#include "calibration/buffer_list.h"

#include "calibration/ph_buffer_1001.h"
#include "calibration/ph_buffer_401.h"
#include "calibration/ph_buffer_686.h"
#include "calibration/ph_buffer_701.h"
#include "calibration/ph_buffer_918.h"

BufferList* CreateBufferList() {
    BufferList* list = new BufferList;
    list->Insert(new PhBuffer401);
    list->Insert(new PhBuffer686);
    list->Insert(new PhBuffer701);
    list->Insert(new PhBuffer918);
    list->Insert(new PhBuffer1001);
    return list;
}
