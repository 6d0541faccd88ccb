-- 税込合計 of one sales or purchase line (alias d): (単価 + 税額) × 数量 on
-- ten-thousandths. This is the one text of the rule in SQL: the build puts it
-- (without these comment lines) into the line views of keptslips.sql, and
-- every other reader of a line's total reads it through v_売上明細 / v_仕入明細.
-- The product p is in units of 1e-8 and is rescaled to 1e-4 rounding halves
-- away from zero (integer division truncates toward zero), as Money rounds.
CASE WHEN (IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) >= 0
     THEN ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) + 5000) / 10000
     ELSE ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) - 5000) / 10000
END
