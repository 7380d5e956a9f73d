#include "shell/clientfactory.h"

#include "shell/nullmbcommaster.h"

IMBComMaster *CreateClient()
{
    return new NullMBComMaster;
}
