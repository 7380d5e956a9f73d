#pragma once

class IMBComMaster;

// The task server client the program talks through (owned by the caller).
IMBComMaster *CreateClient();
