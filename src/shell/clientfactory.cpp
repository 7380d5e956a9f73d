#include "shell/clientfactory.h"

#include "link/tmbcommaster.h"

IMBComMaster *CreateClient()
{
    return new TMBComMaster;
}
