------------------------------------------------------------------------------
-- Line views and the slip totals kept on the headers
------------------------------------------------------------------------------
-- mkdb runs this script after schema.sql on a new book; the upgrade to
-- version 3 drops the line views and every slip trigger and runs the same
-- text, built into the program. In the two views below the build puts the one
-- expression of a line's tax-included total (linetotal.sql) for its marker.
--
-- 伝票合計 is recomputed from all the slip's lines (the sum of each line's
-- 税込合計 as the line view computes it, or of 金額), never adjusted, by AFTER
-- triggers on the rows actually written: a line written, changed, moved to
-- another slip (both slips) or deleted, whatever the statement's conflict
-- clause (OR IGNORE, OR REPLACE, an upsert). The header's own triggers put the
-- total right when a header is written or renumbered over lines that are
-- already there, or when anything writes 伝票合計 itself (the program never
-- does); their WHEN leaves a right total alone, so they do not fire again on
-- their own UPDATE. A slip whose total would overflow fails the line's write
-- (SUM raises on overflow).

-- 税込合計: see linetotal.sql.
CREATE VIEW v_売上明細 AS
SELECT d.伝票番号,
       d.明細番号,
       d.商品コード,
       d.商品名,
       d.単位,
       d.商品分類コード,
       c.分類名,
       d.税区分コード,
       d.単価,
       d.税額,
       d.数量,
       @LINE_TOTAL@ AS 税込合計
FROM t_売上明細 AS d
LEFT JOIN m_商品分類 AS c ON c.商品分類コード = d.商品分類コード;

CREATE VIEW v_仕入明細 AS
SELECT d.伝票番号,
       d.明細番号,
       d.商品コード,
       d.商品名,
       d.単位,
       d.商品分類コード,
       c.分類名,
       d.税区分コード,
       d.単価,
       d.税額,
       d.数量,
       @LINE_TOTAL@ AS 税込合計
FROM t_仕入明細 AS d
LEFT JOIN m_商品分類 AS c ON c.商品分類コード = d.商品分類コード;

CREATE TRIGGER tr_t_売上明細_insert AFTER INSERT ON t_売上明細 BEGIN
    UPDATE t_売上 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_売上明細_delete AFTER DELETE ON t_売上明細 BEGIN
    UPDATE t_売上 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号;
END;

CREATE TRIGGER tr_t_売上明細_update AFTER UPDATE ON t_売上明細 BEGIN
    UPDATE t_売上 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
    UPDATE t_売上 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号 AND OLD.伝票番号 IS NOT NEW.伝票番号;
END;

CREATE TRIGGER tr_t_売上_合計_insert AFTER INSERT ON t_売上
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_売上 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_売上_合計_update AFTER UPDATE OF 伝票番号, 伝票合計 ON t_売上
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_売上 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_売上明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_仕入明細_insert AFTER INSERT ON t_仕入明細 BEGIN
    UPDATE t_仕入 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_仕入明細_delete AFTER DELETE ON t_仕入明細 BEGIN
    UPDATE t_仕入 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号;
END;

CREATE TRIGGER tr_t_仕入明細_update AFTER UPDATE ON t_仕入明細 BEGIN
    UPDATE t_仕入 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
    UPDATE t_仕入 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号 AND OLD.伝票番号 IS NOT NEW.伝票番号;
END;

CREATE TRIGGER tr_t_仕入_合計_insert AFTER INSERT ON t_仕入
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_仕入 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_仕入_合計_update AFTER UPDATE OF 伝票番号, 伝票合計 ON t_仕入
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_仕入 SET 伝票合計 = (SELECT IFNULL(SUM(v.税込合計), 0) FROM v_仕入明細 AS v WHERE v.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_入金明細_insert AFTER INSERT ON t_入金明細 BEGIN
    UPDATE t_入金 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_入金明細_delete AFTER DELETE ON t_入金明細 BEGIN
    UPDATE t_入金 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号;
END;

CREATE TRIGGER tr_t_入金明細_update AFTER UPDATE ON t_入金明細 BEGIN
    UPDATE t_入金 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
    UPDATE t_入金 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号 AND OLD.伝票番号 IS NOT NEW.伝票番号;
END;

CREATE TRIGGER tr_t_入金_合計_insert AFTER INSERT ON t_入金
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_入金 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_入金_合計_update AFTER UPDATE OF 伝票番号, 伝票合計 ON t_入金
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_入金 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_入金明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_支払明細_insert AFTER INSERT ON t_支払明細 BEGIN
    UPDATE t_支払 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_支払明細_delete AFTER DELETE ON t_支払明細 BEGIN
    UPDATE t_支払 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号;
END;

CREATE TRIGGER tr_t_支払明細_update AFTER UPDATE ON t_支払明細 BEGIN
    UPDATE t_支払 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
    UPDATE t_支払 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = OLD.伝票番号)
    WHERE 伝票番号 = OLD.伝票番号 AND OLD.伝票番号 IS NOT NEW.伝票番号;
END;

CREATE TRIGGER tr_t_支払_合計_insert AFTER INSERT ON t_支払
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_支払 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;

CREATE TRIGGER tr_t_支払_合計_update AFTER UPDATE OF 伝票番号, 伝票合計 ON t_支払
WHEN NEW.伝票合計 IS NOT (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = NEW.伝票番号) BEGIN
    UPDATE t_支払 SET 伝票合計 = (SELECT IFNULL(SUM(d.金額), 0) FROM t_支払明細 AS d WHERE d.伝票番号 = NEW.伝票番号)
    WHERE 伝票番号 = NEW.伝票番号;
END;
