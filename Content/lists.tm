BestTimesLists 0 
atkMode 
	BestTime 0 
		name marlowe 
		min 1 
		sec 42 
		end 
	BestTime 0 
		name marlowe 
		min 1 
		sec 58 
		end 
	BestTime 0 
		name marlowe 
		min 2 
		sec 15 
		end 
	BestTime 0 
		name marlowe 
		min 2 
		sec 40 
		end 
	BestTime 0 
		name marlowe 
		min 3 
		sec 5 
		end 
	end 
superAtk 
	BestTime 0 
		name marlowe 
		min 3 
		sec 12 
		end 
	BestTime 0 
		name marlowe 
		min 3 
		sec 30 
		end 
	BestTime 0 
		name marlowe 
		min 3 
		sec 55 
		end 
	BestTime 0 
		name marlowe 
		min 4 
		sec 20 
		end 
	BestTime 0 
		name marlowe 
		min 4 
		sec 59 
		end 
	end 
end 