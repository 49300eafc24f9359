#include "weather/pinyin.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vemora;

namespace {

// Checks each "name READING" pair of the list, the name also with 市 after it
// when asked; gives the number of pairs.
int ExpectReadings(const char* list, bool withCity = false) {
    std::istringstream pairs(list);
    int count = 0;
    for (std::string name, reading; pairs >> name >> reading; ++count) {
        EXPECT_EQ(CityToPinyin(Gbk(name)), reading.substr(0, 20)) << name;
        if (withCity) {
            EXPECT_EQ(CityToPinyin(Gbk(name + "市")), reading.substr(0, 20)) << name << "市";
        }
    }
    return count;
}

} // namespace

// Every prefecture-level city and area, the four municipalities, Hong Kong,
// Macao and Taiwan's cities, as people type them, with their checked readings.
TEST(PlaceNames, EveryPrefectureLevelCity) {
    EXPECT_EQ(
        ExpectReadings("北京 BEIJING 天津 TIANJIN 上海 SHANGHAI 重庆 CHONGQING 石家庄 SHIJIAZHUANG 唐山 TANGSHAN "
                       "秦皇岛 QINHUANGDAO 邯郸 HANDAN 邢台 XINGTAI 保定 BAODING 张家口 ZHANGJIAKOU 承德 CHENGDE "
                       "沧州 CANGZHOU 廊坊 LANGFANG 衡水 HENGSHUI 太原 TAIYUAN 大同 DATONG 阳泉 YANGQUAN 长治 CHANGZHI "
                       "晋城 JINCHENG 朔州 SHUOZHOU 晋中 JINZHONG 运城 YUNCHENG 忻州 XINZHOU 临汾 LINFEN 吕梁 LVLIANG "
                       "呼和浩特 HUHEHAOTE 包头 BAOTOU 乌海 WUHAI 赤峰 CHIFENG 通辽 TONGLIAO 鄂尔多斯 EERDUOSI "
                       "呼伦贝尔 HULUNBEIER 巴彦淖尔 BAYANNAOER 乌兰察布 WULANCHABU 兴安 XINGAN 锡林郭勒 XILINGUOLE "
                       "阿拉善 ALASHAN 沈阳 SHENYANG 大连 DALIAN 鞍山 ANSHAN 抚顺 FUSHUN 本溪 BENXI 丹东 DANDONG "
                       "锦州 JINZHOU 营口 YINGKOU 阜新 FUXIN 辽阳 LIAOYANG 盘锦 PANJIN 铁岭 TIELING 朝阳 CHAOYANG "
                       "葫芦岛 HULUDAO 长春 CHANGCHUN 吉林 JILIN 四平 SIPING 辽源 LIAOYUAN 通化 TONGHUA 白山 BAISHAN "
                       "松原 SONGYUAN 白城 BAICHENG 延边 YANBIAN 哈尔滨 HAERBIN 齐齐哈尔 QIQIHAER 鸡西 JIXI "
                       "鹤岗 HEGANG 双鸭山 SHUANGYASHAN 大庆 DAQING 伊春 YICHUN 佳木斯 JIAMUSI 七台河 QITAIHE "
                       "牡丹江 MUDANJIANG 黑河 HEIHE 绥化 SUIHUA 大兴安岭 DAXINGANLING 南京 NANJING 无锡 WUXI "
                       "徐州 XUZHOU 常州 CHANGZHOU 苏州 SUZHOU 南通 NANTONG 连云港 LIANYUNGANG 淮安 HUAIAN "
                       "盐城 YANCHENG 扬州 YANGZHOU 镇江 ZHENJIANG 泰州 TAIZHOU 宿迁 SUQIAN 杭州 HANGZHOU 宁波 NINGBO "
                       "温州 WENZHOU 嘉兴 JIAXING 湖州 HUZHOU 绍兴 SHAOXING 金华 JINHUA 衢州 QUZHOU 舟山 ZHOUSHAN "
                       "台州 TAIZHOU 丽水 LISHUI 合肥 HEFEI 芜湖 WUHU 蚌埠 BENGBU 淮南 HUAINAN 马鞍山 MAANSHAN "
                       "淮北 HUAIBEI 铜陵 TONGLING 安庆 ANQING 黄山 HUANGSHAN 滁州 CHUZHOU 阜阳 FUYANG 宿州 SUZHOU "
                       "六安 LUAN 亳州 BOZHOU 池州 CHIZHOU 宣城 XUANCHENG 福州 FUZHOU 厦门 XIAMEN 莆田 PUTIAN "
                       "三明 SANMING 泉州 QUANZHOU 漳州 ZHANGZHOU 南平 NANPING 龙岩 LONGYAN 宁德 NINGDE 南昌 NANCHANG "
                       "景德镇 JINGDEZHEN 萍乡 PINGXIANG 九江 JIUJIANG 新余 XINYU 鹰潭 YINGTAN 赣州 GANZHOU 吉安 JIAN "
                       "宜春 YICHUN 抚州 FUZHOU 上饶 SHANGRAO 济南 JINAN 青岛 QINGDAO 淄博 ZIBO 枣庄 ZAOZHUANG "
                       "东营 DONGYING 烟台 YANTAI 潍坊 WEIFANG 济宁 JINING 泰安 TAIAN 威海 WEIHAI 日照 RIZHAO "
                       "临沂 LINYI 德州 DEZHOU 聊城 LIAOCHENG 滨州 BINZHOU 菏泽 HEZE 郑州 ZHENGZHOU 开封 KAIFENG "
                       "洛阳 LUOYANG 平顶山 PINGDINGSHAN 安阳 ANYANG 鹤壁 HEBI 新乡 XINXIANG 焦作 JIAOZUO 濮阳 PUYANG "
                       "许昌 XUCHANG 漯河 LUOHE 三门峡 SANMENXIA 南阳 NANYANG 商丘 SHANGQIU 信阳 XINYANG 周口 ZHOUKOU "
                       "驻马店 ZHUMADIAN 武汉 WUHAN 黄石 HUANGSHI 十堰 SHIYAN 宜昌 YICHANG 襄阳 XIANGYANG 鄂州 EZHOU "
                       "荆门 JINGMEN 孝感 XIAOGAN 荆州 JINGZHOU 黄冈 HUANGGANG 咸宁 XIANNING 随州 SUIZHOU 恩施 ENSHI "
                       "长沙 CHANGSHA 株洲 ZHUZHOU 湘潭 XIANGTAN 衡阳 HENGYANG 邵阳 SHAOYANG 岳阳 YUEYANG 常德 CHANGDE "
                       "张家界 ZHANGJIAJIE 益阳 YIYANG 郴州 CHENZHOU 永州 YONGZHOU 怀化 HUAIHUA 娄底 LOUDI "
                       "湘西 XIANGXI 广州 GUANGZHOU 韶关 SHAOGUAN 深圳 SHENZHEN 珠海 ZHUHAI 汕头 SHANTOU 佛山 FOSHAN "
                       "江门 JIANGMEN 湛江 ZHANJIANG 茂名 MAOMING 肇庆 ZHAOQING 惠州 HUIZHOU 梅州 MEIZHOU 汕尾 SHANWEI "
                       "河源 HEYUAN 阳江 YANGJIANG 清远 QINGYUAN 东莞 DONGGUAN 中山 ZHONGSHAN 潮州 CHAOZHOU "
                       "揭阳 JIEYANG 云浮 YUNFU 南宁 NANNING 柳州 LIUZHOU 桂林 GUILIN 梧州 WUZHOU 北海 BEIHAI "
                       "防城港 FANGCHENGGANG 钦州 QINZHOU 贵港 GUIGANG 玉林 YULIN 百色 BAISE 贺州 HEZHOU 河池 HECHI "
                       "来宾 LAIBIN 崇左 CHONGZUO 海口 HAIKOU 三亚 SANYA 三沙 SANSHA 儋州 DANZHOU 成都 CHENGDU "
                       "自贡 ZIGONG 攀枝花 PANZHIHUA 泸州 LUZHOU 德阳 DEYANG 绵阳 MIANYANG 广元 GUANGYUAN 遂宁 SUINING "
                       "内江 NEIJIANG 乐山 LESHAN 南充 NANCHONG 眉山 MEISHAN 宜宾 YIBIN 广安 GUANGAN 达州 DAZHOU "
                       "雅安 YAAN 巴中 BAZHONG 资阳 ZIYANG 阿坝 ABA 甘孜 GANZI 凉山 LIANGSHAN 贵阳 GUIYANG "
                       "六盘水 LIUPANSHUI 遵义 ZUNYI 安顺 ANSHUN 毕节 BIJIE 铜仁 TONGREN 黔西南 QIANXINAN "
                       "黔东南 QIANDONGNAN 黔南 QIANNAN 昆明 KUNMING 曲靖 QUJING 玉溪 YUXI 保山 BAOSHAN 昭通 ZHAOTONG "
                       "丽江 LIJIANG 普洱 PUER 临沧 LINCANG 楚雄 CHUXIONG 红河 HONGHE 文山 WENSHAN "
                       "西双版纳 XISHUANGBANNA 大理 DALI 德宏 DEHONG 怒江 NUJIANG 迪庆 DIQING 拉萨 LASA "
                       "日喀则 RIKAZE 昌都 CHANGDU 林芝 LINZHI 山南 SHANNAN 那曲 NAQU 阿里 ALI 西安 XIAN "
                       "铜川 TONGCHUAN 宝鸡 BAOJI 咸阳 XIANYANG 渭南 WEINAN 延安 YANAN 汉中 HANZHONG 榆林 YULIN "
                       "安康 ANKANG 商洛 SHANGLUO 兰州 LANZHOU 嘉峪关 JIAYUGUAN 金昌 JINCHANG 白银 BAIYIN "
                       "天水 TIANSHUI 武威 WUWEI 张掖 ZHANGYE 平凉 PINGLIANG 酒泉 JIUQUAN 庆阳 QINGYANG 定西 DINGXI "
                       "陇南 LONGNAN 临夏 LINXIA 甘南 GANNAN 西宁 XINING 海东 HAIDONG 海北 HAIBEI 黄南 HUANGNAN "
                       "海南 HAINAN 果洛 GUOLUO 玉树 YUSHU 海西 HAIXI 银川 YINCHUAN 石嘴山 SHIZUISHAN 吴忠 WUZHONG "
                       "固原 GUYUAN 中卫 ZHONGWEI 乌鲁木齐 WULUMUQI 克拉玛依 KELAMAYI 吐鲁番 TULUFAN 哈密 HAMI "
                       "昌吉 CHANGJI 博尔塔拉 BOERTALA 巴音郭楞 BAYINGUOLENG 阿克苏 AKESU 克孜勒苏 KEZILESU "
                       "喀什 KASHI 和田 HETIAN 伊犁 YILI 塔城 TACHENG 阿勒泰 ALETAI 香港 XIANGGANG 澳门 AOMEN "
                       "台北 TAIBEI 新北 XINBEI 桃园 TAOYUAN 台中 TAIZHONG 台南 TAINAN 高雄 GAOXIONG 基隆 JILONG "
                       "新竹 XINZHU 嘉义 JIAYI",
                       true),
        348);
}

// County-level cities, counties and districts whose characters have more than
// one reading, some typed in full.
TEST(PlaceNames, CountiesAndDistrictsWithPolyphonicCharacters) {
    ExpectReadings("乐清 YUEQING 乐亭 LAOTING 乐山 LESHAN 民乐 MINLE 珲春 HUNCHUN 都匀 DUYUN 郫都 PIDU 于都 YUDU "
                   "曾都 ZENGDU 泊头 BOTOU 调兵山 TIAOBINGSHAN 库尔勒 KUERLE 番禺 PANYU 黄埔 HUANGPU 大埔 DABU "
                   "大埔县 DABUXIAN 洪洞 HONGTONG 单县 SHANXIAN 蔚县 YUXIAN 铅山 YANSHAN 荥阳 XINGYANG "
                   "荥经 YINGJING 莘县 SHENXIAN 临朐 LINQU 涡阳 GUOYANG 枞阳 ZONGYANG 歙县 SHEXIAN 犍为 QIANWEI "
                   "筠连 JUNLIAN 柞水 ZHASHUI 尉犁 YULI 尉氏 WEISHI 浚县 XUNXIAN 曲阜 QUFU 会理 HUILI 句容 JURONG "
                   "盱眙 XUYI 睢宁 SUINING 沈丘 SHENQIU 蓟州 JIZHOU 六合 LUHE 六枝 LIUZHI 闵行 MINHANG "
                   "黄陂 HUANGPI 泌阳 BIYANG 召陵 SHAOLING 南召 NANZHAO 覃塘 TANTANG 牟定 MOUDING 牟平 MUPING "
                   "中牟 ZHONGMU 吴堡 WUBU 宕昌 TANCHANG 蚌山 BENGSHAN 大城 DACHENG 繁峙 FANSHI 万柏林 WANBAILIN "
                   "柏乡 BAIXIANG 穆棱 MULING 大箐山 DAQINGSHAN 长子 ZHANGZI 长汀 CHANGTING 朝阳 CHAOYANG "
                   "东阿 DONGE 莎车 SHACHE 伽师 JIASHI 什邡 SHIFANG 克什克腾旗 KESHIKETENGQI 行唐 XINGTANG "
                   "澄海 CHENGHAI 天台 TIANTAI 解州 XIEZHOU 栎阳 YUEYANG 十里堡 SHILIPU 深水埗 SHENSHUIBU "
                   "沙市区 SHAQU 甘孜藏族自治州 GANZIZANGZUZIZHIZHOU 喀什地区 KASHIDIQU "
                   "延边朝鲜族自治州 YANBIANCHAOXIANZUZIZ 香港特别行政区 XIANGGANGTEBIEXINGZH");
}

TEST(PlaceNames, TextAroundNamesAndTypedPinyin) {
    struct Row {
        const char *typed, *reading;
    };
    const Row rows[] = {
        {"长沙市", "CHANGSHA"},
        {"市长沙市", "CHANGSHA"},
        {"长沙县", "CHANGSHAXIAN"},
        {"湖南长沙", "HUNANCHANGSHA"},
        {"我在厦门", "WOZAIXIAMEN"},
        {"重庆 2", "CHONGQING2"},
        {"changsha", "CHANGSHA"},
        {"Chang Sha", "CHANGSHA"},
        {"ＣｈａｎｇＳｈａ", "ChangSha"},
        {"长", "ZHANG"},
        {"佛", ""},
        {"乌鲁木齐市", "WULUMUQI"},
        {"西双版纳傣族自治州", "XISHUANGBANNADAIZUZI"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CityToPinyin(Gbk(r.typed)), r.reading) << r.typed;
    // The per-character readings themselves stay one per character.
    EXPECT_EQ(TextToPinyin(Gbk("长沙"), 1, 20), "ZHANGSHA");
    EXPECT_EQ(TextToPinyin(Gbk("重庆"), 1, 20), "ZHONGQING");
}

TEST(PlaceNames, TableIsSortedAndWellFormed) {
    ASSERT_GT(kPlaceNameCount, 3000);
    std::string_view previous;
    for (int i = 0; i < kPlaceNameCount; ++i) {
        const PlaceName& e = PlaceNameTable[i];
        const std::string_view name(PlaceNameText + e.offset, e.nameLength);
        const std::string_view reading(PlaceNameText + e.offset + e.nameLength, e.readingLength);
        ASSERT_TRUE(name.size() >= 4 && name.size() % 2 == 0) << i;
        ASSERT_LT(previous, name) << i;
        ASSERT_FALSE(reading.empty()) << i;
        for (char c : reading)
            ASSERT_TRUE(c >= 'A' && c <= 'Z') << i;
        previous = name;
    }
}
