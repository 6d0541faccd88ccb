------------------------------------------------------------------------------
-- Stock kept by month
------------------------------------------------------------------------------
-- t_在庫月計 holds, per item and calendar month ('YYYY-MM' of the slip date),
-- the quantity of the purchase lines (入庫数) and of the sales lines (出庫数)
-- that name the item, so that the stock carried into a period is read from a
-- few hundred thousand kept figures instead of every line ever written. Lines
-- without an item code, of an undated slip or of no slip count nowhere, as in
-- the queries over the lines. A figure that would overflow is refused (the
-- CHECK keeps floating point out).
--
-- The figures are adjusted by AFTER triggers on the rows actually written: a
-- line written, changed, moved or deleted; a header written, re-dated or
-- renumbered; a header's lines are taken out before it is deleted (the cascade
-- then finds no header and changes nothing). A statement's conflict clause
-- decides only after the BEFORE triggers whether a row is written at all (OR
-- IGNORE, an upsert, OR FAIL, OR REPLACE), and a row that OR REPLACE removes
-- fires no trigger unless recursive_triggers is on. So a BEFORE INSERT or
-- BEFORE UPDATE trigger changes no figure: it only notes in t_在庫月計_再計算 the
-- item and month of the row that may be replaced, and every AFTER trigger,
-- after its own adjustment, recomputes the noted figures from the lines
-- (v_在庫月計_再計算) and clears the note. Recomputing is right whether or not
-- the row went, so a note left by a write that did not happen is harmless.
--
-- mkdb runs this script after schema.sql on a new book; the upgrades to
-- versions 2 and 3 run the same text, built in (the tables are made only where
-- they are not yet).

CREATE TABLE IF NOT EXISTS t_在庫月計 (
    商品コード TEXT NOT NULL,
    年月       TEXT NOT NULL,
    入庫数     INTEGER NOT NULL DEFAULT 0 CHECK (typeof(入庫数) = 'integer'),
    出庫数     INTEGER NOT NULL DEFAULT 0 CHECK (typeof(出庫数) = 'integer'),
    PRIMARY KEY (商品コード, 年月)
) WITHOUT ROWID;

CREATE TABLE IF NOT EXISTS t_在庫月計_再計算 (
    商品コード TEXT NOT NULL,
    年月       TEXT NOT NULL,
    PRIMARY KEY (商品コード, 年月)
) WITHOUT ROWID;

-- The noted figures as the lines give them.
CREATE VIEW IF NOT EXISTS v_在庫月計_再計算 AS
SELECT r.商品コード,
       r.年月,
       (SELECT IFNULL(SUM(IFNULL(d.数量, 0)), 0) FROM t_仕入明細 AS d JOIN t_仕入 AS h ON h.伝票番号 = d.伝票番号
        WHERE d.商品コード = r.商品コード AND substr(h.仕入年月日, 1, 7) = r.年月) AS 入庫数,
       (SELECT IFNULL(SUM(IFNULL(d.数量, 0)), 0) FROM t_売上明細 AS d JOIN t_売上 AS h ON h.伝票番号 = d.伝票番号
        WHERE d.商品コード = r.商品コード AND substr(h.売上年月日, 1, 7) = r.年月) AS 出庫数
FROM t_在庫月計_再計算 AS r;

CREATE TRIGGER tr_t_仕入明細_在庫_before_insert BEFORE INSERT ON t_仕入明細 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.仕入年月日, 1, 7) FROM t_仕入明細 AS d JOIN t_仕入 AS h ON h.伝票番号 = d.伝票番号
    WHERE d.伝票番号 = NEW.伝票番号 AND d.明細番号 = NEW.明細番号 AND d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_仕入明細_在庫_insert AFTER INSERT ON t_仕入明細 BEGIN
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数)
    SELECT NEW.商品コード, substr(h.仕入年月日, 1, 7), IFNULL(NEW.数量, 0)
    FROM t_仕入 AS h
    WHERE h.伝票番号 = NEW.伝票番号 AND h.仕入年月日 IS NOT NULL AND NEW.商品コード IS NOT NULL
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = 入庫数 + excluded.入庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_仕入明細_在庫_delete AFTER DELETE ON t_仕入明細 BEGIN
    UPDATE t_在庫月計 SET 入庫数 = 入庫数 - IFNULL(OLD.数量, 0)
    WHERE 商品コード = OLD.商品コード
    AND 年月 = (SELECT substr(h.仕入年月日, 1, 7) FROM t_仕入 AS h WHERE h.伝票番号 = OLD.伝票番号);
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_仕入明細_在庫_before_update BEFORE UPDATE OF 伝票番号, 明細番号 ON t_仕入明細
WHEN NEW.伝票番号 IS NOT OLD.伝票番号 OR NEW.明細番号 IS NOT OLD.明細番号 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.仕入年月日, 1, 7) FROM t_仕入明細 AS d JOIN t_仕入 AS h ON h.伝票番号 = d.伝票番号
    WHERE d.伝票番号 = NEW.伝票番号 AND d.明細番号 = NEW.明細番号 AND d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_仕入明細_在庫_update AFTER UPDATE OF 伝票番号, 明細番号, 商品コード, 数量 ON t_仕入明細 BEGIN
    UPDATE t_在庫月計 SET 入庫数 = 入庫数 - IFNULL(OLD.数量, 0)
    WHERE 商品コード = OLD.商品コード
    AND 年月 = (SELECT substr(h.仕入年月日, 1, 7) FROM t_仕入 AS h WHERE h.伝票番号 = OLD.伝票番号);
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数)
    SELECT NEW.商品コード, substr(h.仕入年月日, 1, 7), IFNULL(NEW.数量, 0)
    FROM t_仕入 AS h
    WHERE h.伝票番号 = NEW.伝票番号 AND h.仕入年月日 IS NOT NULL AND NEW.商品コード IS NOT NULL
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = 入庫数 + excluded.入庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_仕入_在庫_before_insert BEFORE INSERT ON t_仕入 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.仕入年月日, 1, 7) FROM t_仕入 AS h JOIN t_仕入明細 AS d ON d.伝票番号 = h.伝票番号
    WHERE h.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_仕入_在庫_insert AFTER INSERT ON t_仕入 BEGIN
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数)
    SELECT d.商品コード, substr(NEW.仕入年月日, 1, 7), SUM(IFNULL(d.数量, 0))
    FROM t_仕入明細 AS d
    WHERE d.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND NEW.仕入年月日 IS NOT NULL
    GROUP BY d.商品コード
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = 入庫数 + excluded.入庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_仕入_在庫_before_delete BEFORE DELETE ON t_仕入 BEGIN
    UPDATE t_在庫月計 SET 入庫数 = 入庫数 - (SELECT IFNULL(SUM(IFNULL(d.数量, 0)), 0) FROM t_仕入明細 AS d
                                        WHERE d.伝票番号 = OLD.伝票番号 AND d.商品コード = t_在庫月計.商品コード)
    WHERE 年月 = substr(OLD.仕入年月日, 1, 7)
    AND 商品コード IN (SELECT d.商品コード FROM t_仕入明細 AS d WHERE d.伝票番号 = OLD.伝票番号);
END;

CREATE TRIGGER tr_t_仕入_在庫_delete AFTER DELETE ON t_仕入 BEGIN
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_仕入_在庫_before_update BEFORE UPDATE OF 伝票番号 ON t_仕入
WHEN NEW.伝票番号 IS NOT OLD.伝票番号 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.仕入年月日, 1, 7) FROM t_仕入 AS h JOIN t_仕入明細 AS d ON d.伝票番号 = h.伝票番号
    WHERE h.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_仕入_在庫_update AFTER UPDATE OF 伝票番号, 仕入年月日 ON t_仕入 BEGIN
    UPDATE t_在庫月計 SET 入庫数 = 入庫数 - (SELECT IFNULL(SUM(IFNULL(d.数量, 0)), 0) FROM t_仕入明細 AS d
                                        WHERE d.伝票番号 = OLD.伝票番号 AND d.商品コード = t_在庫月計.商品コード)
    WHERE 年月 = substr(OLD.仕入年月日, 1, 7)
    AND 商品コード IN (SELECT d.商品コード FROM t_仕入明細 AS d WHERE d.伝票番号 = OLD.伝票番号);
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数)
    SELECT d.商品コード, substr(NEW.仕入年月日, 1, 7), SUM(IFNULL(d.数量, 0))
    FROM t_仕入明細 AS d
    WHERE d.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND NEW.仕入年月日 IS NOT NULL
    GROUP BY d.商品コード
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = 入庫数 + excluded.入庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_売上明細_在庫_before_insert BEFORE INSERT ON t_売上明細 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.売上年月日, 1, 7) FROM t_売上明細 AS d JOIN t_売上 AS h ON h.伝票番号 = d.伝票番号
    WHERE d.伝票番号 = NEW.伝票番号 AND d.明細番号 = NEW.明細番号 AND d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_売上明細_在庫_insert AFTER INSERT ON t_売上明細 BEGIN
    INSERT INTO t_在庫月計 (商品コード, 年月, 出庫数)
    SELECT NEW.商品コード, substr(h.売上年月日, 1, 7), IFNULL(NEW.数量, 0)
    FROM t_売上 AS h
    WHERE h.伝票番号 = NEW.伝票番号 AND h.売上年月日 IS NOT NULL AND NEW.商品コード IS NOT NULL
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 出庫数 = 出庫数 + excluded.出庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_売上明細_在庫_delete AFTER DELETE ON t_売上明細 BEGIN
    UPDATE t_在庫月計 SET 出庫数 = 出庫数 - IFNULL(OLD.数量, 0)
    WHERE 商品コード = OLD.商品コード
    AND 年月 = (SELECT substr(h.売上年月日, 1, 7) FROM t_売上 AS h WHERE h.伝票番号 = OLD.伝票番号);
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_売上明細_在庫_before_update BEFORE UPDATE OF 伝票番号, 明細番号 ON t_売上明細
WHEN NEW.伝票番号 IS NOT OLD.伝票番号 OR NEW.明細番号 IS NOT OLD.明細番号 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.売上年月日, 1, 7) FROM t_売上明細 AS d JOIN t_売上 AS h ON h.伝票番号 = d.伝票番号
    WHERE d.伝票番号 = NEW.伝票番号 AND d.明細番号 = NEW.明細番号 AND d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_売上明細_在庫_update AFTER UPDATE OF 伝票番号, 明細番号, 商品コード, 数量 ON t_売上明細 BEGIN
    UPDATE t_在庫月計 SET 出庫数 = 出庫数 - IFNULL(OLD.数量, 0)
    WHERE 商品コード = OLD.商品コード
    AND 年月 = (SELECT substr(h.売上年月日, 1, 7) FROM t_売上 AS h WHERE h.伝票番号 = OLD.伝票番号);
    INSERT INTO t_在庫月計 (商品コード, 年月, 出庫数)
    SELECT NEW.商品コード, substr(h.売上年月日, 1, 7), IFNULL(NEW.数量, 0)
    FROM t_売上 AS h
    WHERE h.伝票番号 = NEW.伝票番号 AND h.売上年月日 IS NOT NULL AND NEW.商品コード IS NOT NULL
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 出庫数 = 出庫数 + excluded.出庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_売上_在庫_before_insert BEFORE INSERT ON t_売上 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.売上年月日, 1, 7) FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号
    WHERE h.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_売上_在庫_insert AFTER INSERT ON t_売上 BEGIN
    INSERT INTO t_在庫月計 (商品コード, 年月, 出庫数)
    SELECT d.商品コード, substr(NEW.売上年月日, 1, 7), SUM(IFNULL(d.数量, 0))
    FROM t_売上明細 AS d
    WHERE d.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND NEW.売上年月日 IS NOT NULL
    GROUP BY d.商品コード
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 出庫数 = 出庫数 + excluded.出庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_売上_在庫_before_delete BEFORE DELETE ON t_売上 BEGIN
    UPDATE t_在庫月計 SET 出庫数 = 出庫数 - (SELECT IFNULL(SUM(IFNULL(d.数量, 0)), 0) FROM t_売上明細 AS d
                                        WHERE d.伝票番号 = OLD.伝票番号 AND d.商品コード = t_在庫月計.商品コード)
    WHERE 年月 = substr(OLD.売上年月日, 1, 7)
    AND 商品コード IN (SELECT d.商品コード FROM t_売上明細 AS d WHERE d.伝票番号 = OLD.伝票番号);
END;

CREATE TRIGGER tr_t_売上_在庫_delete AFTER DELETE ON t_売上 BEGIN
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;

CREATE TRIGGER tr_t_売上_在庫_before_update BEFORE UPDATE OF 伝票番号 ON t_売上
WHEN NEW.伝票番号 IS NOT OLD.伝票番号 BEGIN
    INSERT INTO t_在庫月計_再計算 (商品コード, 年月)
    SELECT d.商品コード, substr(h.売上年月日, 1, 7) FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号
    WHERE h.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL
    ON CONFLICT DO NOTHING;
END;

CREATE TRIGGER tr_t_売上_在庫_update AFTER UPDATE OF 伝票番号, 売上年月日 ON t_売上 BEGIN
    UPDATE t_在庫月計 SET 出庫数 = 出庫数 - (SELECT IFNULL(SUM(IFNULL(d.数量, 0)), 0) FROM t_売上明細 AS d
                                        WHERE d.伝票番号 = OLD.伝票番号 AND d.商品コード = t_在庫月計.商品コード)
    WHERE 年月 = substr(OLD.売上年月日, 1, 7)
    AND 商品コード IN (SELECT d.商品コード FROM t_売上明細 AS d WHERE d.伝票番号 = OLD.伝票番号);
    INSERT INTO t_在庫月計 (商品コード, 年月, 出庫数)
    SELECT d.商品コード, substr(NEW.売上年月日, 1, 7), SUM(IFNULL(d.数量, 0))
    FROM t_売上明細 AS d
    WHERE d.伝票番号 = NEW.伝票番号 AND d.商品コード IS NOT NULL AND NEW.売上年月日 IS NOT NULL
    GROUP BY d.商品コード
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 出庫数 = 出庫数 + excluded.出庫数;
    INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
    SELECT 商品コード, 年月, 入庫数, 出庫数 FROM v_在庫月計_再計算 WHERE true
    ON CONFLICT (商品コード, 年月) DO UPDATE SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数;
    DELETE FROM t_在庫月計_再計算;
END;
