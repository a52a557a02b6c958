#include "db/DemoNames.h"

#include "db/DemoRandom.h"

namespace slip {

std::string DemoNames::personName(DemoRandom &random)
{
    static const std::vector<std::string> surnames{"张", "王", "李", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                                                    "徐", "孙", "胡", "朱", "高", "林", "何", "郭", "马", "罗"};
    static const std::vector<std::string> given{"伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇",
                                                 "艳", "杰", "娟", "涛", "明", "超", "秀英", "华", "平", "建国"};
    return random.pick(surnames) + random.pick(given);
}

std::pair<std::string, std::string> DemoNames::supplierNames(DemoRandom &random)
{
    static const std::vector<std::string> places{"苏州", "昆山", "无锡", "宁波", "东莞", "深圳", "常州", "嘉兴"};
    static const std::vector<std::string> marks{"恒通", "鑫达", "永盛", "宏泰", "联创", "金源", "协力", "华信",
                                                "精工", "瑞丰"};
    static const std::vector<std::string> trades{"五金", "机电", "精密机械", "电子", "包装材料", "金属制品"};
    const std::string mark = random.pick(marks);
    const std::string trade = random.pick(trades);
    return {random.pick(places) + mark + trade + "有限公司", mark + trade};
}

const std::vector<DemoNames::ItemKind> &DemoNames::itemKinds()
{
    static const std::vector<ItemKind> kinds{
        {"六角螺栓", "PCS", {"M6×20", "M8×30", "M10×40", "M12×50"}},
        {"平垫圈", "PCS", {"Φ6", "Φ8", "Φ10", "Φ12"}},
        {"深沟球轴承", "PCS", {"6201-2RS", "6204-2RS", "6205ZZ", "6308"}},
        {"伺服电机", "台", {"200W", "400W", "750W", "1.5KW"}},
        {"减速机", "台", {"速比1:10", "速比1:20", "速比1:50"}},
        {"铝型材", "M", {"2020", "3030", "4040", "4080"}},
        {"冷轧钢板", "KG", {"SPCC 1.0mm", "SPCC 1.5mm", "SPCC 2.0mm"}},
        {"不锈钢管", "M", {"Φ25×1.5", "Φ32×2.0", "Φ38×2.0"}},
        {"电源线", "条", {"3×0.75 1.5m", "3×1.0 2m"}},
        {"接近开关", "个", {"NPN常开 M12", "PNP常开 M18"}},
        {"继电器", "个", {"24VDC 两组触点", "220VAC 四组触点"}},
        {"控制电路板", "片", {"V1.2", "V2.0", "V2.1"}},
        {"包装纸箱", "个", {"60×40×30cm", "40×30×20cm"}},
        {"气泡膜", "卷", {"宽50cm", "宽100cm"}},
        {"润滑脂", "罐", {"锂基 1kg", "高温 0.5kg"}},
        {"油漆", "桶", {"灰色 20L", "蓝色 5L"}},
        {"密封圈", "个", {"NBR 20×2.5", "FKM 35×3"}},
        {"同步带", "条", {"HTD 5M-450", "HTD 8M-800"}},
    };
    return kinds;
}

const std::vector<DemoNames::CodeName> &DemoNames::warehouses()
{
    static const std::vector<CodeName> list{
        {"W01", "原料仓"}, {"W02", "半成品仓"}, {"W03", "成品仓"}, {"W04", "五金仓"}, {"W05", "委外仓"}};
    return list;
}

const std::vector<DemoNames::CodeName> &DemoNames::departments()
{
    static const std::vector<CodeName> list{{"D01", "生产一部"}, {"D02", "生产二部"}, {"D03", "生管课"},
                                            {"D04", "仓储课"},   {"D05", "品保课"},   {"D06", "采购课"}};
    return list;
}

const std::vector<DemoNames::CodeName> &DemoNames::workCentres()
{
    static const std::vector<CodeName> list{{"WC01", "冲压车间"}, {"WC02", "焊接车间"}, {"WC03", "机加工车间"},
                                            {"WC04", "装配车间"}, {"WC05", "喷涂车间"}};
    return list;
}

const std::vector<DemoNames::CodeName> &DemoNames::factories()
{
    static const std::vector<CodeName> list{{"F01", "苏州总厂"}, {"F02", "昆山分厂"}};
    return list;
}

const std::vector<DemoNames::CodeName> &DemoNames::processes()
{
    static const std::vector<CodeName> list{{"0010", "下料"},   {"0020", "冲压"}, {"0030", "焊接"},
                                            {"0040", "机加工"}, {"0050", "装配"}, {"0060", "喷涂"}};
    return list;
}

const std::vector<DemoNames::CodeName> &DemoNames::projects()
{
    static const std::vector<CodeName> list{{"P2024001", "自动化产线改造"}, {"P2024002", "新款伺服模组试产"},
                                            {"P2024003", "出口订单-德国"},  {"P2024004", "客户定制机型A"},
                                            {"P2024005", "年度设备维修保养"}};
    return list;
}

const std::vector<std::string> &DemoNames::inspectionRemarks()
{
    static const std::vector<std::string> list{"外观检验合格", "尺寸抽检合格，允收", "来料有轻微划伤，特采使用",
                                               "硬度测试合格", "批次抽检合格，AQL 0.65", "包装破损，已挑选使用"};
    return list;
}

const std::vector<std::string> &DemoNames::issueNotes()
{
    static const std::vector<std::string> list{"按工单领料", "补料（报废补发）", "试产用料", "急料", "设备维修用料"};
    return list;
}

const std::vector<std::string> &DemoNames::phrases()
{
    static const std::vector<std::string> list{"急料，请优先发放", "按工单需求领料", "退回不良品，请品保确认",
                                               "样品试产用料", "先进先出，注意批号"};
    return list;
}

} // namespace slip
