#pragma once

class COrvixDoc;
class CParamFile;

// "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定": the default-parameter sheet over paramFile's defaults;
// the INI file is written only when the sheet ends with OK.
void EditDefaultParams(COrvixDoc& doc, CParamFile& paramFile);
